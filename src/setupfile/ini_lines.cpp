#include "setupfile/ini_lines.h"

#include "setupfile/text.h"

std::string SectionLine(const char* name) {
    return std::string("[") + name + "]\r\n";
}

std::string ValueLine(const std::string& key, const std::string& value) {
    return key + "=\"" + value + "\"\r\n";
}

std::string NumberedLine(int number, const std::string& value) {
    return FormatString("%i=\"%s\"\r\n", number, value.c_str());
}

std::string NumberedKey(int number) {
    return FormatString("%i", number);
}
