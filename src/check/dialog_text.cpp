#include "check/dialog_text.h"

#include <algorithm>
#include <iterator>

#include "check/text_encoding.h"

namespace {

constexpr unsigned char kFirstInTable = 0x20;

// The advance widths in pixels of the dialog's font, MS Sans Serif 8 pt at
// 96 DPI, for the characters of code page 1252 from 0x20 to 0xFF: measured
// with GetTextExtentPoint32W in the setup dialog made from Setup.exe's own
// template under Wine, whose MS Sans Serif (sserife.fon) stands in for
// Windows' font of that name. dialog_text_wine_test measures them again.
constexpr unsigned char kWidths[] = {
    3, 3, 5, 7, 6, 8, 6, 2, 3, 3, 4, 6, 3, 3, 3, 5,  //
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6, 6,  //
    11, 7, 7, 7, 8, 7, 6, 8, 8, 3, 5, 7, 6, 9, 8, 8,  //
    7, 8, 8, 7, 7, 8, 7, 11, 7, 7, 7, 3, 5, 3, 6, 6,  //
    3, 6, 6, 6, 6, 6, 3, 6, 6, 2, 2, 6, 2, 8, 6, 6,  //
    6, 6, 3, 5, 3, 6, 6, 8, 5, 5, 5, 4, 2, 4, 7, 3,  //
    6, 3, 3, 3, 5, 6, 5, 5, 3, 11, 7, 6, 10, 3, 7, 3,  //
    3, 3, 3, 4, 4, 6, 5, 6, 3, 9, 5, 6, 10, 3, 5, 7,  //
    3, 3, 6, 6, 6, 6, 2, 6, 3, 9, 4, 6, 6, 3, 8, 6,  //
    4, 6, 3, 3, 3, 6, 6, 3, 3, 3, 4, 6, 8, 8, 8, 6,  //
    7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 7, 7, 3, 3, 3, 3,  //
    8, 8, 8, 8, 8, 8, 8, 6, 8, 8, 8, 8, 8, 7, 7, 6,  //
    6, 6, 6, 6, 6, 6, 10, 6, 6, 6, 6, 6, 2, 4, 4, 4,  //
    6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 6, 5,
};
constexpr int kWidest = *std::max_element(std::begin(kWidths), std::end(kWidths));

int CharacterWidth(char32_t code) {
    char ansi = AnsiCharacter(code);
    unsigned char byte = static_cast<unsigned char>(ansi);
    if (byte < kFirstInTable || (ansi == '?' && code != U'?')) {
        return kWidest;
    }
    return kWidths[byte - kFirstInTable];
}

int Width(const std::u32string& text, std::size_t from, std::size_t to) {
    int width = 0;
    for (std::size_t i = from; i < to; ++i) {
        width += CharacterWidth(text[i]);
    }
    return width;
}

// Where the line that starts at `from` ends, as DrawText breaks it: into
// pieces that end with the blanks after a word, or after the hyphens inside
// one (as in "mountain-track", not in "--"), of which a
// line takes as many as fit with their blanks; a first piece that doesn't
// fit so takes the line by itself, its blanks dropped, or, as a word too long
// for a line, as much of it as fits. `next` gets where the following line
// starts.
std::size_t LineEnd(const std::u32string& text, std::size_t from, int lineWidth, std::size_t& next) {
    std::size_t at = from;
    int width = 0;
    while (at < text.size()) {
        std::size_t wordEnd = at;
        bool lettersBefore = false;
        while (wordEnd < text.size() && text[wordEnd] != U' ' &&
               !(lettersBefore && text[wordEnd - 1] == U'-' && text[wordEnd] != U'-')) {
            lettersBefore = lettersBefore || text[wordEnd] != U'-';
            ++wordEnd;
        }
        std::size_t pieceEnd = wordEnd;
        while (pieceEnd < text.size() && text[pieceEnd] == U' ') {
            ++pieceEnd;
        }
        int wordWidth = Width(text, at, wordEnd);
        int pieceWidth = wordWidth + Width(text, wordEnd, pieceEnd);
        if (width + pieceWidth <= lineWidth) {
            width += pieceWidth;
            at = pieceEnd;
            continue;
        }
        if (at > from) {
            next = at;
            return at;
        }
        if (wordWidth <= lineWidth) {
            next = pieceEnd;
            return wordEnd;
        }
        std::size_t fit = from;
        for (int used = 0; used + CharacterWidth(text[fit]) <= lineWidth; ++fit) {
            used += CharacterWidth(text[fit]);
        }
        next = std::max(fit, from + 1);
        return next;
    }
    next = at;
    return at;
}

}  // namespace

int DialogTextWidth(const std::string& utf8) {
    std::u32string text = Utf32FromUtf8(utf8);
    return Width(text, 0, text.size());
}

std::string HeadingShows(const std::string& utf8) {
    std::u32string text = Utf32FromUtf8(utf8);
    std::size_t next = 0;
    std::size_t end = LineEnd(text, 0, kHeadingWidth, next);
    while (end > 0 && text[end - 1] == U' ') {
        --end;
    }
    return Utf8FromUtf32(text.substr(0, end));
}

std::size_t BodyLineCount(const std::string& text) {
    std::size_t lines = 0;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find("\r\n", start);
        std::u32string paragraph = Utf32FromUtf8(text.substr(start, end == std::string::npos ? end : end - start));
        std::size_t at = 0;
        do {
            (void)LineEnd(paragraph, at, kBodyWidth, at);
            ++lines;
        } while (at < paragraph.size());
        if (end == std::string::npos) {
            return lines;
        }
        start = end + 2;
    }
}
