#pragma once
// The setup dialog's heading and body as its font lays them out, for a
// checker that has no font to ask: the widths of the dialog's font were
// measured once and are kept in dialog_text.cpp. No Win32 here.

#include <cstddef>
#include <string>

// The heading, a one-line static control of 129 x 8 dialog units, and the
// body's formatting rectangle inside its edit control of 209 x 44, in pixels
// of the dialog's font, MS Sans Serif 8 pt at 96 DPI (13 pixels a line).
constexpr int kHeadingWidth = 194;
constexpr int kBodyWidth = 291;
constexpr int kBodyLines = 5;

// The width of UTF-8 text in pixels of the dialog's font; a character that
// the font's table lacks counts as its widest.
int DialogTextWidth(const std::string& utf8);

// What the heading shows of `utf8`: the words that fit on its one line, as
// the static control breaks them (a first word too long for the line is
// shown up to the character that fits); all of it when it fits.
std::string HeadingShows(const std::string& utf8);

// How many lines the body takes for `text` (CR LF breaks lines), wrapped as
// the edit control wraps at its width.
std::size_t BodyLineCount(const std::string& text);
