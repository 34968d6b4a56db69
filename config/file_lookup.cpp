// Opening a file by a name that may differ from it in letter case. The command
// language upper-cases every file name it is given (the letters a-z only), so on a
// file system that tells cases apart "EXEC DUEL.CFG" must still find "duel.cfg".
// There, too, a name not found as it is is tried in UTF-8 and without the blanks and
// dots it ends in, which Windows drops from file names.
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

bool isRegularFile(const std::string& name) {
#ifdef _WIN32
    struct _stat64 info;
    return _stat64(name.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat info;
    return ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
#endif
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

namespace {

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

// The exact name, else the name matched part by part ignoring case.
std::FILE* openAnyCase(const std::string& name) {
    if (std::FILE* file = openIfFile(name)) return file;
    return openIfFile(resolve(name));
}

// Characters 0x80 to 0x9F of code page 1252 (the five it leaves undefined stand for
// themselves, as Windows converts them); 0xA0 to 0xFF are the same code points.
constexpr char16_t codePage1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// A name of 8-bit characters (code page 1252, as the console and the Windows program
// read them) in UTF-8, as these file systems name files.
std::string utf8FromCodePage1252(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const char16_t code = byte >= 0x80 && byte < 0xA0 ? codePage1252High[byte - 0x80] : byte;
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

// The name as typed, else in UTF-8 when it holds letters beyond ASCII: text typed in
// the console arrives as 8-bit characters, while a script written in UTF-8 already
// holds the file system's bytes.
std::FILE* openAsTypedOrUtf8(const std::string& name) {
    if (std::FILE* file = openAnyCase(name)) return file;
    const std::string utf8 = utf8FromCodePage1252(name);
    return utf8 == name ? nullptr : openAnyCase(utf8);
}

// The name without the blanks and dots it ends in, as Windows names files; empty when
// there are none, or when the last part would be left as nothing but dots ("..").
std::string withoutTrailingBlanksAndDots(const std::string& name) {
    const std::size_t end = name.find_last_not_of(" .");
    if (end == std::string::npos || end + 1 == name.size()) return {};
    const std::size_t slash = name.find_last_of('/');
    const std::size_t partStart = slash == std::string::npos ? 0 : slash + 1;
    if (partStart > end || name.find_first_not_of('.', partStart) > end) return {};
    return name.substr(0, end + 1);
}
#endif

} // namespace

std::FILE* openTextFile(const std::string& name) {
    // A name with a NUL in it would open only the part before the NUL.
    if (name.empty() || name.find('\0') != std::string::npos) return nullptr;
#ifndef _WIN32
    // Each way of reading the name is tried only when the ones before found nothing,
    // so a file named exactly as typed always wins.
    try {
        if (std::FILE* file = openAsTypedOrUtf8(name)) return file;
        const std::string trimmed = withoutTrailingBlanksAndDots(name);
        return trimmed.empty() ? nullptr : openAsTypedOrUtf8(trimmed);
    } catch (...) {
        // Running out of memory while listing a folder.
        return nullptr;
    }
#else
    return openIfFile(name);
#endif
}
