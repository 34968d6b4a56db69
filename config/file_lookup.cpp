// Opening a file by a name that may differ from it in letter case. The command
// language upper-cases every file name it is given (the letters a-z only), so on a
// file system that tells cases apart "EXEC DUEL.CFG" must still find "duel.cfg".
//
// A name is handed to the C library exactly as the command line holds it, byte for
// byte: on Windows that is the ANSI file API, which reads the bytes in the ANSI code
// page as the user typed them. (std::filesystem is no good for this there: MinGW's
// library reads a narrow name in the ANSI code page but gives it back as UTF-8, so
// a name with a letter such as "ü" came back as other bytes than it went in.)
#include "config/file_lookup.h"

#include <sys/stat.h>

#ifndef _WIN32
#include <filesystem>
#include <system_error>
#endif

namespace {

// True when `name` is a plain file: a folder holds no lines, and a device or a pipe
// may never end ("/dev/zero") or block until someone writes to it.
bool isRegularFile(const std::string& name) {
#ifdef _WIN32
    struct _stat64 info;
    return _stat64(name.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat info;
    return ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
#endif
}

std::FILE* openIfFile(const std::string& name) {
    if (name.empty() || !isRegularFile(name)) return nullptr;
    return std::fopen(name.c_str(), "r");
}

#ifndef _WIN32
// On these systems file names tell cases apart and std::filesystem's names are the
// file system's own bytes, so a name that does not open as it is is looked for
// part by part, letters a-z and A-Z matching either case and every other byte (the
// bytes of a UTF-8 "ü" among them) only itself. Windows needs none of this: its
// file names ignore case already.
namespace fs = std::filesystem;

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
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
std::string resolve(const std::string& name) {
    const fs::path path(name);
    fs::path found = path.root_path();
    for (const fs::path& part : path.relative_path()) {
        if (part == "." || part == "..") {
            found /= part;
            continue;
        }
        found = findInFolder(found, part);
        if (found.empty()) return {};
    }
    return found.string();
}
#endif

} // namespace

std::FILE* openTextFile(const std::string& name) {
    // A name with a NUL in it would open only the part before the NUL.
    if (name.empty() || name.find('\0') != std::string::npos) return nullptr;
    if (std::FILE* file = openIfFile(name)) return file;
#ifndef _WIN32
    try {
        return openIfFile(resolve(name));
    } catch (...) {
        // Running out of memory while listing a folder.
        return nullptr;
    }
#else
    return nullptr;
#endif
}
