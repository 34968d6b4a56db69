#include "demo/demo_io.h"

#include "config/file_lookup.h"

#include <cstdio>
#include <sys/stat.h>

#ifndef _WIN32
#include <dirent.h>
#endif

namespace {

std::string partFileName(const std::string& path) {
    return path + ".part";
}

#ifndef _WIN32
// The entry of the folder that matches the last part of `name` ignoring case, the
// first in name order; empty when none does. Only the file's own name is matched.
std::string matchIgnoringCase(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return {};
    std::string best;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string candidate = entry->d_name;
        if (sameIgnoringCase(candidate, file) && (best.empty() || candidate < best))
            best = candidate;
    }
    ::closedir(dir);
    if (best.empty()) return {};
    return slash == std::string::npos ? best : folder + best;
}
#endif

} // namespace

std::string demoFileName(const std::string& name) {
    const std::size_t lastPart = name.find_last_of("/\\");
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || (lastPart != std::string::npos && dot < lastPart))
        return name + ".DEM";
    return name;
}

std::string findDemoFile(const std::string& name) {
    if (name.empty() || name.find('\0') != std::string::npos) return {};
    if (isRegularFile(name)) return name;
#ifndef _WIN32
    // Windows file names ignore case already.
    const std::string match = matchIgnoringCase(name);
    if (!match.empty() && isRegularFile(match)) return match;
#endif
    return {};
}

bool readDemoFile(const std::string& path, Demo& demo, std::string& why) {
    std::FILE* file = isRegularFile(path) ? std::fopen(path.c_str(), "rb") : nullptr;
    if (file == nullptr) {
        why = "was not found";
        return false;
    }
    // Read to the end, but never more than a demo can be.
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[65536];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        bytes.insert(bytes.end(), block, block + got);
        if (bytes.size() > demoMaxFileBytes) break;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        why = "could not be read";
        return false;
    }
    const DemoError error = decodeDemo(bytes, demo);
    if (error == DemoError::None) return true;
    why = describeDemoError(error);
    return false;
}

bool replaceFileWith(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string part = partFileName(path);
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (ok) {
#ifdef _WIN32
        // rename does not replace an existing file there.
        if (isRegularFile(path)) std::remove(path.c_str());
#endif
        ok = std::rename(part.c_str(), path.c_str()) == 0;
    }
    if (!ok) std::remove(part.c_str());
    return ok;
}

bool canWriteFile(const std::string& path) {
    const std::string part = partFileName(path);
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (file == nullptr) return false;
    std::fclose(file);
    std::remove(part.c_str());
    return true;
}
