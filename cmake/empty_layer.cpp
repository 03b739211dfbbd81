// The one translation unit of each layer's link check: the check links the whole layer into a
// shared object beside this file, with nothing but the layers it builds on.
