// Draws the renderer scene with the GDI renderer into a small window and writes what
// the window shows to a 24-bit BMP, for comparison with the software renderer's
// drawing of the same scene (tests/unit/renderer_agreement_test.cpp).
//
//   renderer_agreement.exe [output.bmp]     (default "gdi-scene.bmp")
//
// The scene's sprite file is written into the working folder. It then checks what
// present and shutdown leave on the window. Exit code 0 when the picture was written
// and the checks held, 1 when drawing or reading failed, 2 when a check failed.
#include "graphics/renderer.h"
#include "tests/support/renderer_scene.h"
#include "tests/support/test_bitmaps.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char className[] = "RendererAgreement";

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The window's client pixels as 0x00RRGGBB, rows top-down.
bool readClient(HWND window, std::vector<std::uint32_t>& pixels) {
    HDC windowDC = GetDC(window);
    HDC copyDC = CreateCompatibleDC(windowDC);
    HBITMAP copy = CreateCompatibleBitmap(windowDC, rendererSceneWidth, rendererSceneHeight);
    HGDIOBJ previous = SelectObject(copyDC, copy);
    const bool copied =
        BitBlt(copyDC, 0, 0, rendererSceneWidth, rendererSceneHeight, windowDC, 0, 0, SRCCOPY) != 0;
    SelectObject(copyDC, previous);

    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = rendererSceneWidth;
    info.bmiHeader.biHeight = -rendererSceneHeight; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<std::size_t>(rendererSceneWidth) * rendererSceneHeight, 0);
    const int rows =
        GetDIBits(copyDC, copy, 0, rendererSceneHeight, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(copy);
    DeleteDC(copyDC);
    ReleaseDC(window, windowDC);
    for (std::uint32_t& pixel : pixels) pixel &= 0x00FFFFFFu;
    return copied && rows == rendererSceneHeight;
}

} // namespace

int main(int argc, char** argv) {
    const char* output = argc > 1 ? argv[1] : "gdi-scene.bmp";
    HINSTANCE instance = GetModuleHandleA(nullptr);

    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass)) {
        std::fprintf(stderr, "cannot register the window class\n");
        return 1;
    }
    // A popup window: its client area is the whole window.
    HWND window = CreateWindowExA(WS_EX_TOPMOST, className, "Renderer agreement",
                                  WS_POPUP | WS_VISIBLE, 0, 0, rendererSceneWidth,
                                  rendererSceneHeight, nullptr, nullptr, instance, nullptr);
    if (!window) {
        std::fprintf(stderr, "cannot create the window\n");
        return 1;
    }
    UpdateWindow(window);
    pumpMessages();

    Renderer gdi;
    gdi.init(reinterpret_cast<WindowHandle>(window));
    const Bounds client = gdi.clientRect();
    if (client.right != rendererSceneWidth || client.bottom != rendererSceneHeight) {
        std::fprintf(stderr, "client area is %d x %d\n", client.right, client.bottom);
        return 1;
    }
    if (!drawRendererScene(gdi, "scene-sprite.bmp")) {
        std::fprintf(stderr, "cannot load the scene's sprite\n");
        return 1;
    }
    gdi.present(0);

    std::vector<std::uint32_t> pixels;
    if (!readClient(window, pixels)) {
        std::fprintf(stderr, "cannot read the window's pixels\n");
        return 1;
    }
    // What present and shutdown leave behind: a present without clearing keeps the
    // back buffer, so presenting again shows the scene once more; the one after a
    // clearing present shows black; shutdown paints the window white.
    int failures = 0;
    std::vector<std::uint32_t> later;
    auto expect = [&](bool ok, const char* what) {
        if (!ok) {
            std::fprintf(stderr, "%s\n", what);
            ++failures;
        }
    };
    auto all = [&](std::uint32_t colour) {
        for (std::uint32_t pixel : later)
            if (pixel != colour) return false;
        return true;
    };
    gdi.present(1);
    expect(readClient(window, later) && later == pixels, "a second present changed the scene");
    gdi.present(0);
    expect(readClient(window, later) && all(0), "a present after clearing is not black");
    gdi.shutdown();
    expect(readClient(window, later) && all(0x00FFFFFFu), "shutdown did not paint white");
    DestroyWindow(window);

    writeTestBitmap(output, rendererSceneWidth, rendererSceneHeight, [&](int x, int y) {
        return pixels[static_cast<std::size_t>(y) * rendererSceneWidth + x];
    });
    std::printf("wrote %s\n", output);
    return failures ? 2 : 0;
}
