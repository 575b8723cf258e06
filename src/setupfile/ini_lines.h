#pragma once
// The lines that the system writes into Setup.ini. No Win32 here.

#include <string>

// "[name]" CR LF
std::string SectionLine(const char* name);

// key="value" CR LF, the value's bytes unchanged.
std::string ValueLine(const std::string& key, const std::string& value);

// n="path" CR LF, the line of a numbered list in the install record.
std::string NumberedLine(int number, const std::string& value);

// The key of entry `number` of a numbered list: the number in decimal.
std::string NumberedKey(int number);
