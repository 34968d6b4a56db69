// The console drawn in the game: a drop-down panel over the last frame, shared by the
// desktop (console_overlay_sdl.cpp) and web (console_overlay_web.cpp) layers. It
// includes no platform header. Their openConsole() is runConsole (console_loop.h), a
// modal loop around one ConsoleOverlay:
//
//     ConsoleOverlay overlay;
//     overlay.open(width, height);       // consoleOpened: output shown, keyState cleared
//     while (overlay.isOpen()) {
//         wait for the next event of the platform and hand it over:
//           key pressed            -> overlay.keyDown(virtualKey, repeat, modifiers)
//           key released           -> overlay.keyUp(virtualKey)
//           text typed             -> overlay.typeText(text)   (after its keyDown)
//           Ctrl+V, Shift+Insert   -> overlay.paste(clipboard text)
//           mouse wheel            -> overlay.wheel(notches)
//           mouse button pressed   -> overlay.click(x, y)
//           the window's close box -> overlay.closeBoxClicked()
//           the program's quit     -> overlay.closeBoxClicked(), then post the quit
//                                     again for the main loop (a modal loop that takes
//                                     the quit message ends and leaves it queued)
//         overlay.draw(pixels, width, height) over a copy of the last frame, show it
//     }
//
// - Keys are Windows virtual-key codes of the US layout (the codes keyState uses) with
//   the keyboard's own repeat flag, as the layer translates them for the game.
//   Escape, the console key (the key that types the backtick), Up and Down are the
//   console's hotkeys: without Shift, Ctrl, Alt or the system key held they go to the
//   console session as the Win32 dialog's hotkeys do, whatever the input line holds.
//   Return enters the line; Backspace, Delete, Left, Right, Home and End edit it;
//   Page Up and Page Down scroll the output. Releasing the console key is reported to
//   the session (consoleKeyUp), so that its repeats neither close the console that it
//   opened nor, once it closed it, open it again.
// - Typed text is 8-bit characters (the layer converts what it is given: characters
//   above 255 are dropped). Control characters are ignored. A key taken as a hotkey
//   types nothing: the text that immediately follows its keyDown is dropped, as a
//   hotkey's key never reaches the Win32 input box. The input line holds at most
//   inputLimit characters, as the Win32 edit box does by default; typing or pasting
//   beyond it adds nothing.
// - Every decision (closing, the history walk, the quit test, running the line) is
//   config/console_session.*'s; the overlay only holds the two boxes' texts, the caret
//   and the scroll position, and draws them.
// - Nothing is kept between openings but what the session keeps (the console text,
//   the history): each opening starts with an empty input and the newest output at
//   the top.
#pragma once

#include "app/key_events.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ConsoleOverlay {
  public:
    // Modifier keys held with a key press (any combination): the game's KeyModifier.
    enum Modifier : unsigned {
        modifierShift = keyModifierShift,
        modifierControl = keyModifierControl,
        modifierAlt = keyModifierAlt,
        modifierSystem = keyModifierSystem, // the Windows key, Command on a Mac
    };

    // The most characters the input line holds: the Win32 edit box's default limit.
    static constexpr std::size_t inputLimit = 32767;

    // Opens the console over a picture of width x height pixels. The panel's size,
    // its font scale and how the output lines wrap follow from that size.
    void open(int width, int height);
    bool isOpen() const { return isOpen_; }

    // A key went down (virtual-key code, the keyboard's repeat flag, Modifier bits).
    void keyDown(std::uint8_t virtualKey, bool repeat, unsigned modifiers = 0);
    void keyUp(std::uint8_t virtualKey);
    // Text typed on the keyboard layout in use, inserted at the caret.
    void typeText(const std::string& text);
    // Whether a key-down pastes: Ctrl+V or Shift+Insert, as in the Win32 edit box.
    static bool isPasteKey(std::uint8_t virtualKey, unsigned modifiers);
    // Text from the clipboard (8-bit characters), inserted at the caret: its first
    // line, filtered as typed text is, as far as the input line's limit allows.
    void paste(const std::string& text);
    // Scrolls the output: positive toward older lines (down the panel).
    void scrollLines(int lines);
    // Mouse wheel notches: positive is the wheel turned away from the user, which
    // scrolls toward the newest lines at the top.
    void wheel(int notches);
    // A mouse press at (x, y) of the picture: the panel's close box closes the
    // console, its Enter button enters the line; anywhere else does nothing.
    void click(int x, int y);
    // The close box of the window (or of the page): closes the console.
    void closeBoxClicked();

    // Draws the panel over `pixels` (0x00RRGGBB, rows top-down, `width` pixels a
    // row). A picture of another size than the one opened over is drawn on as far as
    // it reaches.
    void draw(std::uint32_t* pixels, int width, int height) const;

    // What the panel shows, for tests and the layers.
    const std::string& input() const { return input_; }
    std::size_t caret() const { return caret_; }
    const std::string& output() const { return output_; }
    // The output split into the rows the panel shows (long lines wrapped), newest first.
    const std::vector<std::string>& outputRows() const { return rows_; }
    // Index in outputRows() of the top row shown, and how many rows fit.
    int scrollTop() const { return scrollTop_; }
    int visibleRows() const { return visibleRows_; }
    // The rectangles of the close box and of the Enter button (left, top, right,
    // bottom; right and bottom exclusive).
    struct Box {
        int left = 0, top = 0, right = 0, bottom = 0;
        bool contains(int x, int y) const {
            return x >= left && x < right && y >= top && y < bottom;
        }
    };
    Box closeBox() const { return closeBox_; }
    Box enterButton() const { return enterButton_; }
    // Height of the panel in pixels; the picture below it is left as it was.
    int panelHeight() const { return panelHeight_; }
    // Pixels per font pixel.
    int scale() const { return scale_; }

  private:
    struct Window;
    void setInput(const std::string& text);
    void setOutput(const std::string& text);
    void layout(int width, int height);
    void enterLine();
    void hotkey(int id);
    void scrollTo(int top);
    void insertTyped(const std::string& text);

    bool isOpen_ = false;
    bool swallowText_ = false;
    std::uint8_t consoleKey_ = 0;
    std::string input_;
    std::size_t caret_ = 0;
    std::string output_;
    std::vector<std::string> rows_;
    int scrollTop_ = 0;
    int visibleRows_ = 1;
    int columns_ = 1;
    int width_ = 0;
    int height_ = 0;
    int scale_ = 1;
    int panelHeight_ = 0;
    int inputTop_ = 0;
    int outputTop_ = 0;
    Box inputBox_;
    Box closeBox_;
    Box enterButton_;
};
