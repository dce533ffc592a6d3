#include "platform/files/FileLookup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace qf {

namespace fs = std::filesystem;

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// An exact match wins; otherwise the first entry (in name order, so the choice is stable)
// that matches without regard to case.
fs::path findEntry(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) {
        return folder / name;
    }
    std::string best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (sameIgnoringCase(candidate, name) && (best.empty() || candidate < best)) {
            best = candidate;
        }
    }
    return folder / (best.empty() ? name : best);
}

} // namespace

std::string FileLookup::cleanName(const std::string& literal) {
    std::string name = literal;
    std::replace(name.begin(), name.end(), '\\', '/');
    const auto first = name.find_first_not_of('/');
    name = first == std::string::npos ? std::string() : name.substr(first);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) {
        name.pop_back();
    }
    return name;
}

std::string FileLookup::resolve(const std::string& folder, const std::string& literal) {
    fs::path path(folder);
    const std::string name = cleanName(literal);
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t slash = name.find('/', start);
        const std::string part =
            name.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty()) {
            path = findEntry(path, part);
        }
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    return path.string();
}

} // namespace qf
