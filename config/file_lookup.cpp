// Opening a file by a name that may differ from it in letter case. The command
// language upper-cases every file name it is given, so on a file system that tells
// cases apart "EXEC DUEL.CFG" must still find "duel.cfg".
#include "config/file_lookup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool pathExists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

// The entry of `folder` named `name` ignoring case; the exact name when it exists,
// else the first match in name order (so the choice does not depend on the order
// the directory lists its entries). Empty when there is none.
fs::path findInFolder(const fs::path& folder, const fs::path& name) {
    const fs::path exact = folder / name;
    if (pathExists(exact)) return exact;
    const std::string wanted = name.string();
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
    std::string best;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (sameIgnoringCase(candidate, wanted) && (best.empty() || candidate < best))
            best = candidate;
    }
    return best.empty() ? fs::path() : folder / best;
}

// Each part of the path is matched in the folder the previous parts led to, so a
// folder name may differ in case as well.
fs::path resolve(const std::string& name) {
    const fs::path path(name);
    if (pathExists(path)) return path;
    fs::path found = path.root_path();
    for (const fs::path& part : path.relative_path()) {
        if (part == "." || part == "..") {
            found /= part;
            continue;
        }
        found = findInFolder(found, part);
        if (found.empty()) return {};
    }
    return found;
}

std::FILE* openIfFile(const fs::path& path) {
    if (path.empty()) return nullptr;
    std::error_code ec;
    // Only plain files: a folder holds no lines, and a device or a pipe may never
    // end ("/dev/zero") or block until someone writes to it.
    if (!fs::is_regular_file(path, ec)) return nullptr;
    return std::fopen(path.string().c_str(), "r");
}

} // namespace

std::FILE* openTextFile(const std::string& name) {
    // A name with a NUL in it would open only the part before the NUL.
    if (name.empty() || name.find('\0') != std::string::npos) return nullptr;
    try {
        if (std::FILE* file = openIfFile(fs::path(name))) return file;
        return openIfFile(resolve(name));
    } catch (...) {
        // Paths the file system cannot represent, or running out of memory.
        return nullptr;
    }
}
