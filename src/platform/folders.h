// Where per-user data lives, and making a folder there. Paths are UTF-8.
#pragma once

#include <string>

namespace zarvik::platform {

// %LOCALAPPDATA% (the known folder) on Windows; $XDG_DATA_HOME, else
// $HOME/.local/share, on Linux. Empty when the system tells us none.
std::string UserDataFolder();

// True when the folder exists afterwards. On Linux missing parents are made
// too: a till's service account often has no ~/.local/share yet.
bool EnsureFolder(const std::string& path);

std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace zarvik::platform
