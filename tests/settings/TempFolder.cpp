#include "tests/settings/TempFolder.h"

#include "platform/files/AtomicFile.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qf::test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "qf-settings-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    // Tests take permissions away; give them back so everything can be removed.
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

fs::path TempFolder::put(const std::string& name, std::string_view bytes) const {
    const fs::path file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
    return file;
}

std::string TempFolder::bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned TempFolder::modeOf(const fs::path& file) {
    return static_cast<unsigned>(fs::status(file).permissions());
}

int TempFolder::temporariesOf(const std::string& name) const {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(path_)) {
        if (AtomicFile::ownerOf(name, entry.path().filename().string())) {
            ++count;
        }
    }
    return count;
}

} // namespace qf::test
