#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace qf::mci {

// Where a media-command path names a file on this machine. The recorder's paths begin with
// "c:\", which here stands for the user's home folder; "\" and "/" both separate folders in
// the rest. A path that starts with "/" is taken as it is, and any other relative path is
// taken from the home folder. Empty when the path names another drive, or no home folder is
// known.
std::optional<std::filesystem::path> localPath(std::string_view mediaPath);

} // namespace qf::mci
