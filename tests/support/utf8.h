#pragma once
// Text in UTF-8, as the tests and their helpers write paths, and the UTF-16
// of the platform's wide calls.

#include <string>

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
