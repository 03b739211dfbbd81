// Makes the editor's control classes known to the toolkit's class registry, so that skins can
// name them. Called once at plug-in start-up, before any editor loads a skin.
#pragma once

#include <string>
#include <vector>

// Registers the standard controls, then the editor's classes in their start-up order ("Styles",
// "AutoShorteningLabel", ... "Cursors"), then the editor's panels. A class that fails is logged
// with "%s failed to startup\n" and start-up goes on; answers the names that failed. UI thread
std::vector<std::string> RegisterEditorControlClasses();

// The start-up order of the editor's own classes. any thread
const std::vector<std::string>& EditorControlClassNames();
