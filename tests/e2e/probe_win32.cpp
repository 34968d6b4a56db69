// brawlex_probe: a console tool of the end-to-end tests. Run under the same Wine
// prefix and display as the game, it reports what a user would see on the desktop and
// presses dialog buttons. Every report is one JSON object per line on stdout.
//
//   brawlex_probe windows              every top-level window, with its child controls
//   brawlex_probe workarea             the desktop work area and the screen size
//   brawlex_probe foreground           the foreground window
//   brawlex_probe close HWND           posts WM_CLOSE to a window
//   brawlex_probe click HWND ID        sends BM_CLICK to the dialog button ID
//   brawlex_probe command HWND ID      posts WM_COMMAND(ID, BN_CLICKED) to a dialog
//   brawlex_probe settext HWND ID TEXT sets the text of dialog control ID
//   brawlex_probe activate HWND        brings a window to the foreground
//   brawlex_probe devicechange HWND    posts WM_DEVICECHANGE (DBT_DEVNODES_CHANGED), as
//                                      Windows does when a device is plugged in
//   brawlex_probe watch TITLE MS       reports the top-level window of that title each
//                                      time it changes, until it is gone again or MS
//                                      milliseconds pass (for short-lived windows)
//
// HWND and ID are decimal or 0x-prefixed hexadecimal. Exit code 0 on success, 1 for
// bad usage, 2 when the window or control does not exist or the call failed.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// Messages to another process are sent with a deadline so that a hung program never
// hangs the probe.
constexpr UINT sendTimeoutMs = 2000;

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                // 8-bit text is reported as its Latin-1 code points.
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string jsonRect(const RECT& r) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "[%ld,%ld,%ld,%ld]", static_cast<long>(r.left),
                  static_cast<long>(r.top), static_cast<long>(r.right),
                  static_cast<long>(r.bottom));
    return buffer;
}

std::string number(unsigned long long value) {
    return std::to_string(value);
}

unsigned long long handleValue(HWND window) {
    return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window));
}

std::string className(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The text of a window of any process, read with WM_GETTEXT.
std::string windowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, sendTimeoutMs,
                             &length)) {
        return {};
    }
    if (length > 1 << 20) length = 1 << 20;
    // Room to spare: the text may grow between the two messages.
    std::vector<char> buffer(length + 1024, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             sendTimeoutMs, &copied)) {
        return {};
    }
    if (copied >= buffer.size()) copied = buffer.size() - 1;
    return std::string(buffer.data(), copied);
}

std::map<DWORD, std::string> processNames() {
    std::map<DWORD, std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        names[entry.th32ProcessID] = entry.szExeFile;
    }
    CloseHandle(snapshot);
    return names;
}

BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::string describeChild(HWND child) {
    std::string out = "{\"hwnd\":" + number(handleValue(child));
    out += ",\"class\":" + jsonString(className(child));
    out += ",\"id\":" + number(static_cast<unsigned>(GetDlgCtrlID(child)));
    out += ",\"text\":" + jsonString(windowText(child));
    out += ",\"style\":" + number(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)));
    out += ",\"visible\":" + std::string(IsWindowVisible(child) ? "true" : "false");
    return out + "}";
}

std::string describeWindow(HWND window, const std::map<DWORD, std::string>& names) {
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT clientOnScreen{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    auto name = names.find(processId);

    std::string out = "{\"hwnd\":" + number(handleValue(window));
    out += ",\"class\":" + jsonString(className(window));
    out += ",\"title\":" + jsonString(windowText(window));
    out += ",\"style\":" + number(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)));
    out += ",\"exstyle\":" + number(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    out += ",\"rect\":" + jsonRect(windowRect);
    out += ",\"client\":" + jsonRect(clientOnScreen);
    out += ",\"visible\":" + std::string(IsWindowVisible(window) ? "true" : "false");
    out += ",\"owner\":" + number(handleValue(GetWindow(window, GW_OWNER)));
    out += ",\"pid\":" + number(processId);
    out += ",\"exe\":" + jsonString(name == names.end() ? std::string() : name->second);
    out += ",\"children\":[";
    std::vector<HWND> children;
    EnumChildWindows(window, collectWindow, reinterpret_cast<LPARAM>(&children));
    for (size_t i = 0; i < children.size(); ++i) {
        if (i != 0) out += ",";
        out += describeChild(children[i]);
    }
    return out + "]}";
}

int listWindows() {
    std::vector<HWND> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    const auto names = processNames();
    const DWORD self = GetCurrentProcessId();
    for (HWND window : windows) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (processId == self) continue;
        std::printf("%s\n", describeWindow(window, names).c_str());
    }
    return 0;
}

// Polls every millisecond for a top-level window (not the probe's own) titled title
// and prints its description whenever it differs from the last one printed. Ends when
// a window seen before is gone, or after timeoutMs: exit code 0 when it was seen.
int watchWindow(const std::string& title, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    const DWORD self = GetCurrentProcessId();
    std::map<DWORD, std::string> names;
    std::string last;
    bool seen = false;
    while (GetTickCount() - start < timeoutMs) {
        std::vector<HWND> windows;
        EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
        bool present = false;
        for (HWND window : windows) {
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            if (processId == self || windowText(window) != title) continue;
            present = true;
            if (!seen) names = processNames();
            seen = true;
            const std::string description = describeWindow(window, names);
            if (description != last) {
                std::printf("%s\n", description.c_str());
                std::fflush(stdout);
                last = description;
            }
            break;
        }
        if (seen && !present) return 0;
        Sleep(1);
    }
    return seen ? 0 : 2;
}

LRESULT CALLBACK otherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// Shows a small window of another program, titled `title`, at the bottom-right
// corner of the work area and makes it the foreground window; runs until it is
// closed (the probe's "close") or the process is ended.
int otherWindow(const std::string& title) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = otherWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = "BrawlexProbeOther";
    if (!RegisterClassA(&windowClass)) return 2;
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int width = 160, height = 80;
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, title.c_str(), WS_POPUP | WS_BORDER,
                                  area.right - width, area.bottom - height, width, height, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    if (!window) return 2;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int workArea() {
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return 2;
    std::printf("{\"workarea\":%s,\"screen\":[%d,%d]}\n", jsonRect(area).c_str(),
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
}

bool parseNumber(const char* text, unsigned long long& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 0);
    return end != text && *end == '\0';
}

HWND parseWindow(const char* text) {
    unsigned long long value = 0;
    if (!parseNumber(text, value)) return nullptr;
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    return IsWindow(window) ? window : nullptr;
}

int usage() {
    std::fprintf(
        stderr,
        "usage: brawlex_probe windows|workarea|codepage|foreground|close HWND|click HWND "
        "ID|command HWND ID|settext HWND ID TEXT|activate HWND|devicechange HWND|watch TITLE "
        "MS|other TITLE\n");
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "windows") return listWindows();
    if (command == "workarea") return workArea();
    if (command == "codepage") {
        std::printf("{\"acp\":%u}\n", GetACP());
        return 0;
    }
    if (command == "foreground") {
        std::printf("{\"hwnd\":%s}\n", number(handleValue(GetForegroundWindow())).c_str());
        return 0;
    }
    if (argc < 3) return usage();
    if (command == "other") return otherWindow(argv[2]);
    if (command == "watch") {
        unsigned long long timeoutMs = 0;
        if (argc < 4 || !parseNumber(argv[3], timeoutMs) || timeoutMs > 0xffffffffULL) {
            return usage();
        }
        return watchWindow(argv[2], static_cast<DWORD>(timeoutMs));
    }
    HWND window = parseWindow(argv[2]);
    if (window == nullptr) {
        std::fprintf(stderr, "brawlex_probe: no window %s\n", argv[2]);
        return 2;
    }
    if (command == "close") return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 2;
    if (command == "activate") return SetForegroundWindow(window) ? 0 : 2;
    if (command == "devicechange") {
        constexpr WPARAM devNodesChanged = 0x0007; // DBT_DEVNODES_CHANGED
        return PostMessageA(window, WM_DEVICECHANGE, devNodesChanged, 0) ? 0 : 2;
    }

    if (argc < 4) return usage();
    unsigned long long id = 0;
    if (!parseNumber(argv[3], id) || id > 0xffff) return usage();
    HWND control = GetDlgItem(window, static_cast<int>(id));
    if (command == "command") {
        WPARAM wParam = MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED);
        return PostMessageA(window, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control)) ? 0 : 2;
    }
    if (control == nullptr) {
        std::fprintf(stderr, "brawlex_probe: no control %s in window %s\n", argv[3], argv[2]);
        return 2;
    }
    if (command == "click") {
        // Posted, not sent: the click may open a modal loop in the target.
        return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 2;
    }
    if (command == "settext" && argc >= 5) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                                   SMTO_ABORTIFHUNG, sendTimeoutMs, &result) &&
                       result
                   ? 0
                   : 2;
    }
    return usage();
}
