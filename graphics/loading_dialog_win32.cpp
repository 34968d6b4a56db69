// The loading dialog: the modeless dialog 102 with a status line, a stage bar and
// an overall bar, shown while the weapon sprites are generated.
#include "graphics/loading_dialog.h"

#include "graphics/loading_progress.h"
#include "resources/resource_ids.h"

#include <windows.h>

#include <commctrl.h>

namespace loading_dialog {

namespace {

HWND dialog = nullptr;
HWND stageBar = nullptr;
HWND overallBar = nullptr;

// A progress bar repaints itself on every position message, which costs far more
// than the step it reports (1,440 steps of a few dozen microseconds each). The bars
// are therefore moved at most every LoadingProgress::updateMilliseconds: steps are
// added up and sent as one PBM_DELTAPOS when that much time has passed, and always
// before the status, range or position changes and before the dialog closes. What the
// bars show is the same; the controls keep their positions within range themselves.
LoadingProgress progress;

void sendPendingSteps() {
    if (const int steps = progress.pendingSteps(); steps != 0) {
        SendMessageA(stageBar, PBM_DELTAPOS, static_cast<WPARAM>(steps), 0);
        SendMessageA(overallBar, PBM_DELTAPOS, static_cast<WPARAM>(steps), 0);
    }
    progress.barsShown(GetTickCount());
}

// The dialog needs no handling of its own: its controls draw themselves.
INT_PTR CALLBACK loadingDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Handles only the dialog's waiting messages; those of the (still hidden) game
// window stay queued for the main loop. Without a dialog there is nothing to pump:
// a null filter would take every message of the thread, the quit message too.
void pumpDialogMessages(HWND window) {
    if (window == nullptr) return;
    MSG message;
    while (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

void open(int overallRange) {
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls; // 8
    controls.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);

    dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOADING), nullptr,
                                loadingDialogProc, 0);
    if (dialog == nullptr) return; // generation goes on without a dialog
    stageBar = GetDlgItem(dialog, IDC_LOADING_STAGE);
    overallBar = GetDlgItem(dialog, IDC_LOADING_OVERALL);
    SendMessageA(overallBar, PBM_SETRANGE, 0, MAKELPARAM(0, overallRange));
    SendMessageA(overallBar, PBM_SETPOS, 0, 0);
    ShowWindow(dialog, SW_SHOW);
    progress.open(overallRange, GetTickCount()); // the first pump runs at once
}

void setStatus(const char* text) {
    if (dialog == nullptr) return;
    sendPendingSteps();
    SetDlgItemTextA(dialog, IDC_LOADING_STATUS, text);
}

void setStageRange(int maximum) {
    if (dialog == nullptr) return;
    sendPendingSteps();
    progress.setStageRange(maximum);
    SendMessageA(stageBar, PBM_SETRANGE, 0, MAKELPARAM(0, maximum));
}

void setStagePosition(int position) {
    if (dialog == nullptr) return;
    sendPendingSteps();
    progress.setStagePosition(position);
    SendMessageA(stageBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void advance(int delta) {
    if (dialog == nullptr) return;
    progress.advance(delta);
    if (progress.barsDue(GetTickCount())) sendPendingSteps();
}

void pump() {
    // Called after every step of the work; looking into the queue is itself a round
    // trip to the window system, so the dialog is served once per bar update period,
    // which keeps it just as responsive.
    if (dialog == nullptr) return;
    if (!progress.serveDue(GetTickCount())) return;
    pumpDialogMessages(dialog);
}

void close() {
    if (dialog != nullptr) {
        sendPendingSteps();
        DestroyWindow(dialog);
    }
    dialog = nullptr;
    stageBar = nullptr;
    overallBar = nullptr;
}

} // namespace loading_dialog
