// Library load and unload hooks (DllMain on Windows, constructor/destructor on Linux).
#pragma once

#include <filesystem>

namespace VFoundation {

// Defined by the library that embeds the plug-in (the entry-point file), called by the platform's
// load hook after the module handle is recorded, and by its unload hook.
void OnLibraryLoad();
void OnLibraryUnload();

// Referenced by the entry-point file so that the linker keeps the platform's hook object.
void LinkLibraryHooks();

// The file of the module that holds this code (the plug-in library, or the test executable).
std::filesystem::path ModuleFilePath();

// Pauses the calling thread (the 500 ms pause after the last instance's shutdown).
void SleepMilliseconds(int milliseconds);

}  // namespace VFoundation

namespace VFoundation {

// The executable of the current process (the host).
std::filesystem::path ProcessExecutablePath();

}  // namespace VFoundation
