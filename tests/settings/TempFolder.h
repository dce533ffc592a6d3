#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qf::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes exactly these bytes, replacing any file of that name.
    std::filesystem::path put(const std::string& name, std::string_view bytes) const;
    static std::string bytesOf(const std::filesystem::path& file);
    // The permission bits of a file or folder.
    static unsigned modeOf(const std::filesystem::path& file);
    // How many temporaries of a write to `name` lie in the folder.
    int temporariesOf(const std::string& name) const;

private:
    std::filesystem::path path_;
};

} // namespace qf::test
