// The main loop hooks of brawlex_bench.exe: frame statistics and a count of the
// process's GDI objects, written to "frame-stats.txt" when the main loop ends.
#include "app/main_loop_hooks.h"

#include <windows.h>

#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// Frame statistics of the benchmark program, brawlex_bench.exe: the main loop hooks
// of app/main_loop_hooks.h, which the shipped program leaves empty.
//
// The main loop records the QueryPerformanceCounter value at the start of every
// frame. When the loop ends, "frame-stats.txt" is written in the working folder:
// one "name value" pair per line, names fixed, values in C locale decimal:
//
//   frames 997                 frames run by the main loop
//   wall_seconds 10.004        from entering the main loop to taking the quit message
//   frames_per_second 99.66    frames / wall_seconds
//   cpu_ms_per_frame 0.412     process CPU time (user + kernel) spent inside the main
//                              loop, in milliseconds, divided by frames
//   interval_ms_mean 10.03     mean time between consecutive frame starts
//   interval_ms_max 16.21      longest time between consecutive frame starts
//
//   gdi_count_source handle_table  how the GDI objects below were counted:
//                              GetGuiResources, or handle_table where that call
//                              is not implemented (Wine), or none
//   gdi_objects_first_frame 61 live GDI objects of the process after the first frame
//   gdi_objects_min 61         fewest and most seen after the first frame, once a
//   gdi_objects_max 61         second after a frame, and at the end
//   gdi_objects_end 61         after the last frame, once the main loop has ended
//   gdi_objects_samples 11     how many counts min and max were taken from
//
// Start-up (sprite generation, scripts) is outside both the wall time and the CPU
// time. With fewer than two frames the interval lines read 0; with no frames
// frames_per_second and cpu_ms_per_frame read 0 too. The gdi_objects lines are left
// out when no count is available, and all but the end line when no frame ran.
//
// The GDI objects are counted between frames, where the frame step holds no
// temporary object, so a leak of one object per frame or per draw shows as a count
// that grows with the frames.

// Live GDI objects of this process, or -1 when they cannot be counted; source says
// how they were counted.
//
// GetGuiResources gives the count on Windows. Wine does not implement it (it returns
// 0, with ERROR_CALL_NOT_IMPLEMENTED), but keeps its GDI objects in a table of its
// own for each process, reached as on 64-bit Windows through the process environment
// block (the pointer at offset 0xF8): 24-byte entries, indexed by the low 16 bits of
// the handle, holding the high 16 bits of the handle at offset 12 and a type at
// offset 14 that is 0 while the entry is free. Counting the used entries gives the
// live objects, stock objects included. Before trusting that layout a new pen is
// looked up in it (used entry, matching high bits) and again once deleted (free
// entry); on Windows the table is another one, shared by all processes, so it is read
// only under Wine.
class GdiObjectCounter {
  public:
    GdiObjectCounter() {
        HANDLE self = GetCurrentProcess();
        if (GetGuiResources(self, GR_GDIOBJECTS) != 0) {
            source_ = "GetGuiResources";
            return;
        }
#if defined(_M_X64) || defined(__x86_64__)
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return;
        using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
        const auto query = reinterpret_cast<QueryProcess>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
        PROCESS_BASIC_INFORMATION basic{};
        if (!query || query(self, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
            !basic.PebBaseAddress)
            return;
        const unsigned char* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
        std::memcpy(&table_, peb + 0xF8, sizeof table_);
        MEMORY_BASIC_INFORMATION region;
        if (!table_ || VirtualQuery(table_, &region, sizeof region) == 0 ||
            region.State != MEM_COMMIT)
            return;
        const std::size_t readable = static_cast<std::size_t>(
            static_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize - table_);
        entries_ = readable / entryBytes < maxEntries ? readable / entryBytes : maxEntries;

        HPEN probe = CreatePen(PS_SOLID, 1, 0);
        const bool used = entryMatches(probe);
        DeleteObject(probe);
        if (used && !entryUsed(indexOf(probe))) {
            source_ = "handle_table";
            return;
        }
        table_ = nullptr;
        entries_ = 0;
#endif
    }

    const char* source() const {
        return source_;
    }

    long count() const {
        if (std::strcmp(source_, "GetGuiResources") == 0)
            return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
        if (!table_) return -1;
        long live = 0;
        for (std::size_t i = 0; i < entries_; ++i)
            if (entryUsed(i)) ++live;
        return live;
    }

  private:
    static constexpr std::size_t entryBytes = 24;
    static constexpr std::size_t maxEntries = 0x10000;

    static std::size_t indexOf(HGDIOBJ object) {
        return reinterpret_cast<std::uintptr_t>(object) & 0xFFFF;
    }
    bool entryUsed(std::size_t index) const {
        return index < entries_ && table_[index * entryBytes + 14] != 0;
    }
    bool entryMatches(HGDIOBJ object) const {
        if (!object || !entryUsed(indexOf(object))) return false;
        std::uint16_t upper;
        std::memcpy(&upper, table_ + indexOf(object) * entryBytes + 12, sizeof upper);
        return upper == ((reinterpret_cast<std::uintptr_t>(object) >> 16) & 0xFFFF);
    }

    const char* source_ = "none";
    const unsigned char* table_ = nullptr;
    std::size_t entries_ = 0;
};

class FrameStats {
  public:
    void begin() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&loopStart_);
        cpuStart_ = processCpuMilliseconds();
        frameStarts_.reserve(1 << 16);
    }

    void frameStarted() {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        frameStarts_.push_back(now.QuadPart);
    }

    // Counts the GDI objects after the first frame and then after the first frame
    // of every further second (a count walks the whole table: a fraction of a
    // millisecond, too much for every frame).
    void frameEnded() {
        const long long started = frameStarts_.back();
        if (frameStarts_.size() == 1) {
            gdiFirstFrame_ = gdiObjects_.count();
            sampleGdi(gdiFirstFrame_);
            lastGdiSample_ = started;
        } else if (started - lastGdiSample_ >= frequency_.QuadPart) {
            sampleGdi(gdiObjects_.count());
            lastGdiSample_ = started;
        }
    }

    void end() {
        LARGE_INTEGER loopEnd;
        QueryPerformanceCounter(&loopEnd);
        const long gdiEnd = gdiObjects_.count();
        if (!frameStarts_.empty()) sampleGdi(gdiEnd);
        const double cpuMs = processCpuMilliseconds() - cpuStart_;
        const double ticksPerSecond = static_cast<double>(frequency_.QuadPart);
        const double wallSeconds =
            static_cast<double>(loopEnd.QuadPart - loopStart_.QuadPart) / ticksPerSecond;
        const std::size_t frames = frameStarts_.size();

        double meanMs = 0.0;
        double maxMs = 0.0;
        for (std::size_t i = 1; i < frames; ++i) {
            const double ms = static_cast<double>(frameStarts_[i] - frameStarts_[i - 1]) * 1000.0 /
                              ticksPerSecond;
            meanMs += ms;
            if (ms > maxMs) maxMs = ms;
        }
        if (frames > 1) meanMs /= static_cast<double>(frames - 1);

        std::FILE* file = std::fopen("frame-stats.txt", "w");
        if (!file) return;
        std::fprintf(file, "frames %zu\n", frames);
        std::fprintf(file, "wall_seconds %.3f\n", wallSeconds);
        std::fprintf(file, "frames_per_second %.2f\n",
                     wallSeconds > 0.0 ? static_cast<double>(frames) / wallSeconds : 0.0);
        std::fprintf(file, "cpu_ms_per_frame %.3f\n",
                     frames ? cpuMs / static_cast<double>(frames) : 0.0);
        std::fprintf(file, "interval_ms_mean %.2f\n", meanMs);
        std::fprintf(file, "interval_ms_max %.2f\n", maxMs);
        std::fprintf(file, "gdi_count_source %s\n", gdiEnd >= 0 ? gdiObjects_.source() : "none");
        if (gdiEnd >= 0 && !frameStarts_.empty()) {
            std::fprintf(file, "gdi_objects_first_frame %ld\n", gdiFirstFrame_);
            std::fprintf(file, "gdi_objects_min %ld\n", gdiMin_);
            std::fprintf(file, "gdi_objects_max %ld\n", gdiMax_);
        }
        if (gdiEnd >= 0) std::fprintf(file, "gdi_objects_end %ld\n", gdiEnd);
        if (gdiEnd >= 0 && !frameStarts_.empty())
            std::fprintf(file, "gdi_objects_samples %ld\n", gdiSamples_);
        std::fclose(file);
    }

  private:
    static double processCpuMilliseconds() {
        FILETIME creation, exit, kernel, user;
        if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) return 0.0;
        auto hundredNs = [](const FILETIME& t) {
            return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        return static_cast<double>(hundredNs(kernel) + hundredNs(user)) / 10000.0;
    }

    void sampleGdi(long objects) {
        if (objects < 0) return;
        if (gdiSamples_ == 0 || objects < gdiMin_) gdiMin_ = objects;
        if (gdiSamples_ == 0 || objects > gdiMax_) gdiMax_ = objects;
        ++gdiSamples_;
    }

    LARGE_INTEGER frequency_{};
    LARGE_INTEGER loopStart_{};
    double cpuStart_ = 0.0;
    std::vector<long long> frameStarts_;
    GdiObjectCounter gdiObjects_;
    long long lastGdiSample_ = 0;
    long gdiFirstFrame_ = -1;
    long gdiMin_ = 0;
    long gdiMax_ = 0;
    long gdiSamples_ = 0;
};

// Made when the main loop starts, so that nothing of it runs before the entry point.
std::optional<FrameStats> stats;

} // namespace

void mainLoopStarted() {
    stats.emplace();
    stats->begin();
}

void frameStarting() {
    stats->frameStarted();
}

void frameEnded() {
    stats->frameEnded();
}

void mainLoopEnded() {
    stats->end();
    stats.reset();
}
