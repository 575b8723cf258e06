#pragma once
// The one way the program shows a message.

#include <string>

// A task-modal box without owner that always shows the program icon; an
// icon flag in `type` is replaced by it. Returns the button pressed (IDOK,
// IDYES, IDNO) or 0 when the box can't be shown. The texts come as the
// reader of Setup.ini gives them, in UTF-8.
int ShowMessage(const std::string& text, const std::string& caption, unsigned type);

// The same for a text that names a path, which may hold any character.
int ShowMessage(const std::wstring& text, const std::string& caption, unsigned type);
int ShowMessage(const std::wstring& text, const std::wstring& caption, unsigned type);
