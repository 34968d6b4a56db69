// The console as a modal Win32 dialog (template IDD_CONSOLE). The dialog procedure
// only translates messages: every decision is the console session's.
#include "app/app_state.h"
#include "app/platform.h"
#include "config/console.h"
#include "config/console_session.h"
#include "resources/resource_ids.h"

#include <windows.h>

#include <string>

namespace {

// While the console key that opened the console is held, its repeats arrive as
// hotkeys that carry no repeat flag, and its release is no message of the dialog's
// (the hotkey took its presses). The dialog therefore polls the key's state every
// 10 ms until it is seen up, and tells the session.
constexpr UINT_PTR releaseTimer = 1;
constexpr UINT releasePollMilliseconds = 10;

void watchConsoleKeyRelease(HWND dialog) {
    if (consoleKeyAwaitingRelease())
        SetTimer(dialog, releaseTimer, releasePollMilliseconds, nullptr);
}

void pollConsoleKeyRelease(HWND dialog) {
    if (consoleKeyAwaitingRelease() && (GetAsyncKeyState(keyForCharacter('`')) & 0x8000) != 0)
        return;
    consoleKeyUp();
    KillTimer(dialog, releaseTimer);
}

void releaseHotkeys(HWND dialog) {
    for (const ConsoleHotkey& hotkey : consoleHotkeys()) UnregisterHotKey(dialog, hotkey.id);
}

void registerHotkeys(HWND dialog) {
    // A key another program holds already is simply not a hotkey of this console.
    for (const ConsoleHotkey& hotkey : consoleHotkeys())
        RegisterHotKey(dialog, hotkey.id, 0, hotkey.virtualKey);
}

ConsoleWindow windowOf(HWND dialog) {
    return {
        [dialog](const std::string& text) {
            SetDlgItemTextA(dialog, IDC_CONSOLE_INPUT, text.c_str());
        },
        [dialog](const std::string& text) {
            SetDlgItemTextA(dialog, IDC_CONSOLE_OUTPUT, text.c_str());
        },
        [dialog] {
            KillTimer(dialog, releaseTimer);
            releaseHotkeys(dialog);
            EndDialog(dialog, 0);
        },
    };
}

// The input box's whole text, however long: the buffer is sized from the box's own
// length, plus one for the terminating zero.
std::string readInput(HWND dialog) {
    const LRESULT length = SendDlgItemMessageA(dialog, IDC_CONSOLE_INPUT, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
    const UINT copied =
        GetDlgItemTextA(dialog, IDC_CONSOLE_INPUT, buffer.data(), static_cast<int>(buffer.size()));
    buffer.resize(copied < buffer.size() ? copied : buffer.size() - 1);
    return buffer;
}

INT_PTR CALLBACK consoleDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        consoleOpened(windowOf(dialog));
        registerHotkeys(dialog);
        watchConsoleKeyRelease(dialog);
        return TRUE; // the focus goes to the input box, first in the tab order
    case WM_COMMAND:
        // Clicking Enter, or Return anywhere in the dialog (Enter is the default
        // button). Notifications from the edit boxes are not ours to act on.
        if (LOWORD(wParam) == IDC_CONSOLE_ENTER && HIWORD(wParam) == BN_CLICKED)
            consoleLineEntered(readInput(dialog), windowOf(dialog));
        return TRUE;
    case WM_HOTKEY:
        consoleHotkeyPressed(static_cast<int>(wParam), windowOf(dialog));
        return TRUE;
    case WM_CLOSE:
        consoleCloseRequested(windowOf(dialog));
        return TRUE;
    case WM_TIMER:
        if (wParam != releaseTimer) return FALSE;
        pollConsoleKeyRelease(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void openConsole() {
    DialogBoxParamA(reinterpret_cast<HINSTANCE>(appInstance), MAKEINTRESOURCEA(IDD_CONSOLE),
                    reinterpret_cast<HWND>(mainWindow), consoleDialogProc, 0);
}
