// What the plug-in calls to get its editor.
#pragma once

#include <memory>

#include "Common/VSTi/AEffEditor.h"
#include "editor/Editor.h"

class Norv;

// The editor for the plug-in, using the installation's resource folder; registers the editor's
// control classes first (once per process). UI thread (plug-in set-up)
std::unique_ptr<vst::AEffEditor> CreateEditor(Norv& plugin);
// The same with options (tests, another resource folder). UI thread
std::unique_ptr<vst::AEffEditor> CreateEditor(Norv& plugin, EditorOptions options);
