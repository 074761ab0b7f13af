#pragma once

#include <filesystem>

// The desktop's download folder: as the user's XDG settings name it, else
// $HOME/Downloads. It need not exist yet.
std::filesystem::path DesktopDownloadFolder();
