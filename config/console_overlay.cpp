// The console drawn in the game: the two boxes of the Win32 dialog as a panel that
// drops down over the top of the picture. Every decision is the console session's.
#include "config/console_overlay.h"

#include "config/console_session.h"
#include "graphics/bitmap_font.h"

#include <algorithm>

namespace {

constexpr std::uint8_t virtualKeyBack = 0x08;
constexpr std::uint8_t virtualKeyReturn = 0x0D;
constexpr std::uint8_t virtualKeyPageUp = 0x21;
constexpr std::uint8_t virtualKeyPageDown = 0x22;
constexpr std::uint8_t virtualKeyEnd = 0x23;
constexpr std::uint8_t virtualKeyHome = 0x24;
constexpr std::uint8_t virtualKeyLeft = 0x25;
constexpr std::uint8_t virtualKeyRight = 0x27;
constexpr std::uint8_t virtualKeyInsert = 0x2D;
constexpr std::uint8_t virtualKeyDelete = 0x2E;

// Lines a wheel notch scrolls, as a Windows edit box does by default.
constexpr int wheelLines = 3;

// Colours of the panel (0x00RRGGBB).
constexpr std::uint32_t panelColour = 0x101828;
constexpr std::uint32_t titleColour = 0x283C64;
constexpr std::uint32_t frameColour = 0x8090B0;
constexpr std::uint32_t titleTextColour = 0xFFFFFF;
constexpr std::uint32_t outputTextColour = 0xD8D8D8;
constexpr std::uint32_t inputColour = 0x000000;
constexpr std::uint32_t inputTextColour = 0xFFFFFF;
constexpr std::uint32_t caretColour = 0xFFE060;
constexpr std::uint32_t buttonColour = 0x384870;
constexpr std::uint32_t scrollThumbColour = 0x8090B0;
constexpr std::uint32_t scrollTrackColour = 0x202838;

// Clipped drawing on a picture of 0x00RRGGBB pixels.
struct Canvas {
    std::uint32_t* pixels;
    int width;
    int height;
    int clipBottom; // nothing is drawn at or below this row

    // Calls paint(row, left, right) for each row of the rectangle within the picture
    // and above clipBottom, with left and right clipped to the picture too.
    template <typename Paint>
    void eachRow(int left, int top, int right, int bottom, Paint paint) const {
        left = std::max(left, 0);
        top = std::max(top, 0);
        right = std::max(left, std::min(right, width));
        bottom = std::min(bottom, std::min(height, clipBottom));
        for (int y = top; y < bottom; ++y)
            paint(pixels + static_cast<std::size_t>(y) * width, left, right);
    }

    void fill(int left, int top, int right, int bottom, std::uint32_t colour) const {
        eachRow(left, top, right, bottom, [colour](std::uint32_t* row, int from, int to) {
            std::fill(row + from, row + to, colour);
        });
    }

    // Darkens what is there toward `colour`, three parts colour to one part picture,
    // so the game still shows faintly through the panel.
    void shade(int left, int top, int right, int bottom, std::uint32_t colour) const {
        eachRow(left, top, right, bottom, [colour](std::uint32_t* row, int from, int to) {
            for (int x = from; x < to; ++x) {
                const std::uint32_t p = row[x];
                std::uint32_t out = 0;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const std::uint32_t a = (p >> shift) & 0xFF;
                    const std::uint32_t b = (colour >> shift) & 0xFF;
                    out |= ((a + 3 * b) / 4) << shift;
                }
                row[x] = out;
            }
        });
    }

    void frame(int left, int top, int right, int bottom, int thickness,
               std::uint32_t colour) const {
        fill(left, top, right, top + thickness, colour);
        fill(left, bottom - thickness, right, bottom, colour);
        fill(left, top, left + thickness, bottom, colour);
        fill(right - thickness, top, right, bottom, colour);
    }

    // One character of the 5 x 7 font, each font pixel a scale x scale square.
    void glyph(char c, int x, int y, int scale, std::uint32_t colour) const {
        for (int row = 0; row < bitmap_font::glyphHeight; ++row)
            for (int column = 0; column < bitmap_font::glyphWidth; ++column)
                if (bitmap_font::inked(c, column, row))
                    fill(x + column * scale, y + row * scale, x + (column + 1) * scale,
                         y + (row + 1) * scale, colour);
    }

    // Text from (x, y), one cell per character, up to (not into) column `right`.
    void text(const char* begin, const char* end, int x, int y, int right, int scale,
              std::uint32_t colour) const {
        const int cell = bitmap_font::cellWidth * scale;
        for (const char* c = begin; c != end && x + cell <= right; ++c, x += cell)
            if (*c != ' ') glyph(*c, x, y, scale, colour);
    }
};

} // namespace

// The console session's view of the overlay: the two boxes and closing.
struct ConsoleOverlay::Window {
    static ConsoleWindow of(ConsoleOverlay& overlay) {
        return {
            [&overlay](const std::string& text) { overlay.setInput(text); },
            [&overlay](const std::string& text) { overlay.setOutput(text); },
            [&overlay] { overlay.isOpen_ = false; },
        };
    }
};

void ConsoleOverlay::open(int width, int height) {
    isOpen_ = true;
    swallowText_ = false;
    // Looked up on every opening, as the session does for its hotkeys.
    consoleKey_ = consoleHotkeys()[1].virtualKey;
    input_.clear();
    caret_ = 0;
    layout(width, height);
    consoleOpened(Window::of(*this));
}

void ConsoleOverlay::layout(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    // Twice the font's size on any screen a game is played on; the font's own size
    // only where the picture is too small for that.
    scale_ = width_ >= 640 && height_ >= 400 ? 2 : 1;
    const int cellW = bitmap_font::cellWidth * scale_;
    const int cellH = bitmap_font::cellHeight * scale_;
    const int pad = 3 * scale_;

    // Title bar with the close box, the input line with the Enter button, then the
    // output; the panel takes the top half of the picture.
    const int titleHeight = cellH + 2 * pad;
    const int boxSide = titleHeight - 2 * scale_;
    closeBox_ = {width_ - scale_ - boxSide, scale_, width_ - scale_, scale_ + boxSide};
    inputTop_ = titleHeight + pad;
    const int inputHeight = cellH + 2 * pad;
    const int buttonWidth = 7 * cellW;
    enterButton_ = {width_ - pad - buttonWidth, inputTop_, width_ - pad, inputTop_ + inputHeight};
    inputBox_ = {pad, inputTop_, enterButton_.left - pad, inputTop_ + inputHeight};
    outputTop_ = inputBox_.bottom + pad;
    const int minimum = outputTop_ + cellH + 2 * pad;
    panelHeight_ = std::min(height_, std::max(height_ / 2, minimum));
    visibleRows_ = std::max(1, (panelHeight_ - pad - scale_ - outputTop_ - pad) / cellH);
    const int scrollBarWidth = 2 * pad;
    columns_ = std::max(1, (width_ - 3 * pad - scrollBarWidth) / cellW);
    setOutput(output_);
}

void ConsoleOverlay::setInput(const std::string& text) {
    input_ = text;
    caret_ = input_.size();
}

void ConsoleOverlay::setOutput(const std::string& text) {
    output_ = text;
    // Lines end in "\r\n"; a bare "\n" also ends one and a bare "\r" shows nothing.
    // A line longer than the panel is wide goes on in the rows below it.
    rows_.clear();
    std::string line;
    auto endLine = [&] {
        if (line.empty()) rows_.emplace_back();
        for (std::size_t at = 0; at < line.size(); at += static_cast<std::size_t>(columns_))
            rows_.push_back(line.substr(at, static_cast<std::size_t>(columns_)));
        line.clear();
    };
    for (char c : output_) {
        if (c == '\n') {
            endLine();
        } else if (c == '\t') {
            line += ' ';
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty()) endLine();
    // The dialog's output box shows a new text from its top: the newest lines.
    scrollTop_ = 0;
}

void ConsoleOverlay::scrollTo(int top) {
    const int last = std::max(0, static_cast<int>(rows_.size()) - visibleRows_);
    scrollTop_ = std::clamp(top, 0, last);
}

void ConsoleOverlay::scrollLines(int lines) {
    if (!isOpen_) return;
    scrollTo(static_cast<int>(
        std::clamp<long long>(static_cast<long long>(scrollTop_) + lines, -1, 1LL << 30)));
}

void ConsoleOverlay::wheel(int notches) {
    scrollLines(static_cast<int>(
        std::clamp(-static_cast<long long>(notches) * wheelLines, -(1LL << 30), 1LL << 30)));
}

void ConsoleOverlay::hotkey(int id) {
    consoleHotkeyPressed(id, Window::of(*this));
}

void ConsoleOverlay::enterLine() {
    const std::string line = input_; // the session gets its own copy
    consoleLineEntered(line, Window::of(*this));
}

void ConsoleOverlay::keyDown(std::uint8_t virtualKey, bool /*repeat*/, unsigned modifiers) {
    if (!isOpen_) return;
    swallowText_ = false;
    // The hotkeys are registered without modifiers, so they fire only while none is
    // held; with one held the key is an ordinary key of the input box.
    if (modifiers == 0) {
        for (const ConsoleHotkey& key : consoleHotkeys()) {
            if (key.virtualKey != virtualKey) continue;
            // Hotkeys repeat while held, as the Win32 ones do; the session tells the
            // console key's repeats from new presses by whether it has seen the key
            // released, so the flag is not needed here.
            hotkey(key.id);
            swallowText_ = true;
            return;
        }
    }
    const bool control = (modifiers & modifierControl) != 0;
    switch (virtualKey) {
    case virtualKeyReturn:
        enterLine();
        break;
    case virtualKeyBack:
        if (caret_ > 0) input_.erase(--caret_, 1);
        break;
    case virtualKeyDelete:
        if (caret_ < input_.size()) input_.erase(caret_, 1);
        break;
    case virtualKeyLeft:
        if (caret_ > 0) --caret_;
        break;
    case virtualKeyRight:
        if (caret_ < input_.size()) ++caret_;
        break;
    case virtualKeyHome:
        if (control)
            scrollTo(0);
        else
            caret_ = 0;
        break;
    case virtualKeyEnd:
        if (control)
            scrollTo(static_cast<int>(rows_.size()));
        else
            caret_ = input_.size();
        break;
    case virtualKeyPageUp:
        scrollLines(-std::max(1, visibleRows_ - 1));
        break;
    case virtualKeyPageDown:
        scrollLines(std::max(1, visibleRows_ - 1));
        break;
    default:
        break;
    }
}

void ConsoleOverlay::keyUp(std::uint8_t virtualKey) {
    if (!isOpen_) return;
    if (virtualKey == consoleKey_) consoleKeyUp();
}

void ConsoleOverlay::typeText(const std::string& text) {
    if (!isOpen_) return;
    if (swallowText_) {
        swallowText_ = false;
        return;
    }
    insertTyped(text);
}

void ConsoleOverlay::insertTyped(const std::string& text) {
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F) continue; // control characters type nothing
        if (input_.size() >= inputLimit) return;
        input_.insert(caret_++, 1, c);
    }
}

bool ConsoleOverlay::isPasteKey(std::uint8_t virtualKey, unsigned modifiers) {
    const unsigned held = modifiers & (modifierShift | modifierControl | modifierAlt);
    return (virtualKey == 'V' && (held & ~modifierShift) == modifierControl) ||
           (virtualKey == virtualKeyInsert && held == modifierShift);
}

void ConsoleOverlay::paste(const std::string& text) {
    if (!isOpen_) return;
    swallowText_ = false;
    // The input is one line: a single-line Win32 edit box takes the pasted text up to
    // its first line break. Breaks before any text are skipped, so a line copied with
    // the one before it still pastes; gluing several lines into one would make a
    // command of parts of each.
    const std::size_t first = text.find_first_not_of("\r\n");
    if (first == std::string::npos) return;
    const std::size_t end = text.find_first_of("\r\n", first);
    insertTyped(text.substr(first, end == std::string::npos ? std::string::npos : end - first));
}

void ConsoleOverlay::click(int x, int y) {
    if (!isOpen_) return;
    if (closeBox_.contains(x, y)) {
        closeBoxClicked();
    } else if (enterButton_.contains(x, y)) {
        enterLine();
    }
}

void ConsoleOverlay::closeBoxClicked() {
    if (!isOpen_) return;
    consoleCloseRequested(Window::of(*this));
}

void ConsoleOverlay::draw(std::uint32_t* pixels, int width, int height) const {
    if (pixels == nullptr || width <= 0 || height <= 0) return;
    const Canvas canvas{pixels, width, height, panelHeight_};
    const int s = scale_;
    const int cellW = bitmap_font::cellWidth * s;
    const int cellH = bitmap_font::cellHeight * s;
    const int pad = 3 * s;
    const int right = width_;

    // Panel, title bar, close box.
    canvas.shade(0, 0, right, panelHeight_, panelColour);
    const int titleHeight = inputTop_ - pad;
    canvas.fill(0, 0, right, titleHeight, titleColour);
    static const char title[] = "Console";
    canvas.text(title, title + sizeof title - 1, pad, pad, closeBox_.left, s, titleTextColour);
    canvas.frame(closeBox_.left, closeBox_.top, closeBox_.right, closeBox_.bottom, s, frameColour);
    canvas.glyph('X', closeBox_.left + (closeBox_.right - closeBox_.left - 5 * s) / 2,
                 closeBox_.top + (closeBox_.bottom - closeBox_.top - 7 * s) / 2, s,
                 titleTextColour);

    // Input line: the text scrolled sideways so that the caret stays in view.
    canvas.fill(inputBox_.left, inputBox_.top, inputBox_.right, inputBox_.bottom, inputColour);
    canvas.frame(inputBox_.left, inputBox_.top, inputBox_.right, inputBox_.bottom, s, frameColour);
    const int textLeft = inputBox_.left + pad;
    const int textRight = inputBox_.right - pad;
    const std::size_t fits =
        static_cast<std::size_t>(std::max(1, (textRight - textLeft) / cellW - 1));
    const std::size_t first = caret_ > fits ? caret_ - fits : 0;
    const std::size_t shown = std::min(input_.size() - std::min(first, input_.size()), fits + 1);
    canvas.text(input_.data() + first, input_.data() + first + shown, textLeft, inputBox_.top + pad,
                textRight, s, inputTextColour);
    const int caretX = textLeft + static_cast<int>(caret_ - first) * cellW - s;
    canvas.fill(caretX, inputBox_.top + pad - s, caretX + s, inputBox_.top + pad + cellH,
                caretColour);

    // Enter button.
    canvas.fill(enterButton_.left, enterButton_.top, enterButton_.right, enterButton_.bottom,
                buttonColour);
    canvas.frame(enterButton_.left, enterButton_.top, enterButton_.right, enterButton_.bottom, s,
                 frameColour);
    static const char enter[] = "Enter";
    canvas.text(enter, enter + sizeof enter - 1, enterButton_.left + cellW, enterButton_.top + pad,
                enterButton_.right, s, titleTextColour);

    // Output rows from the scroll position, and a scroll bar beside them.
    const int outputBottom = panelHeight_ - s - pad;
    const int barRight = right - pad;
    const int barLeft = barRight - 2 * pad;
    for (int i = 0; i < visibleRows_; ++i) {
        const std::size_t row = static_cast<std::size_t>(scrollTop_) + static_cast<std::size_t>(i);
        if (row >= rows_.size()) break;
        const std::string& text = rows_[row];
        canvas.text(text.data(), text.data() + text.size(), pad, outputTop_ + i * cellH,
                    barLeft - pad, s, outputTextColour);
    }
    if (outputBottom > outputTop_) {
        canvas.fill(barLeft, outputTop_, barRight, outputBottom, scrollTrackColour);
        const int total = std::max(static_cast<int>(rows_.size()), visibleRows_);
        const long long track = outputBottom - outputTop_;
        const int thumbTop = outputTop_ + static_cast<int>(track * scrollTop_ / total);
        const int thumbBottom =
            outputTop_ + static_cast<int>(track * (scrollTop_ + visibleRows_) / total);
        canvas.fill(barLeft, thumbTop, barRight, std::max(thumbBottom, thumbTop + s),
                    scrollThumbColour);
    }

    // The panel's lower edge.
    canvas.fill(0, panelHeight_ - s, right, panelHeight_, frameColour);
}
