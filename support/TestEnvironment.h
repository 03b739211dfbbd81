// Redirects every user folder and the preference store to a fresh temporary folder, so that tests
// (and a plug-in library they load into the same process) never touch the real home folders.
#pragma once

#include <filesystem>

namespace VFoundation {

// Sets the process environment override (TAVO_USER_ROOT) to a new temporary folder and answers it.
std::filesystem::path UseTemporaryUserFolders();

}  // namespace VFoundation
