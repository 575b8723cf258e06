#include "check/profile.h"

#include <cstdint>
#include <utility>

namespace {

// The characters of Windows-1252 from 0x80 to 0x9F; the five unassigned
// positions stand for themselves, as the platform maps them.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char AnsiCharacter(unsigned long code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return static_cast<char>(code);
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kCp1252High[i] == code) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

char32_t UnicodeCharacter(char ansi) {
    unsigned char c = static_cast<unsigned char>(ansi);
    return (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : c;
}

namespace {

// UTF-8 after its byte-order mark; a broken sequence gives "?" per byte.
std::string AnsiFromUtf8(const std::string& bytes, std::size_t from) {
    std::string text;
    std::size_t i = from;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        std::uint32_t code = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
        bool whole = length != 0 && i + length <= bytes.size();
        for (std::size_t k = 1; whole && k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            whole = (next >> 6) == 2;
            code = (code << 6) | (next & 0x3F);
        }
        if (!whole) {
            text += '?';
            ++i;
            continue;
        }
        text += AnsiCharacter(code);
        i += length;
    }
    return text;
}

std::string AnsiFromUtf16(const std::string& bytes, bool bigEndian) {
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned char first = static_cast<unsigned char>(bytes[i]);
        unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
        std::uint32_t code = bigEndian ? (first << 8 | second) : (second << 8 | first);
        text += (code >= 0xD800 && code <= 0xDFFF) ? '?' : AnsiCharacter(code);
    }
    return text;
}

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsProfileBlank(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && IsProfileBlank(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

unsigned char FoldAZ(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

std::string CutAtNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

ProfileLookupName LookupName(const std::string& name) {
    std::string folded = CutAtNul(name);
    for (char& c : folded) {
        c = static_cast<char>(FoldAZ(static_cast<unsigned char>(c)));
    }
    return folded;
}

// Only the first section or entry of a name is ever found.
void AddSection(Profile& profile, ProfileSection section) {
    profile.firstSection.emplace(LookupName(section.name), profile.sections.size());
    profile.sections.push_back(std::move(section));
}

void AddEntry(ProfileSection& section, ProfileEntry entry) {
    section.firstEntry.emplace(LookupName(entry.name), section.entries.size());
    section.entries.push_back(std::move(entry));
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// The reader's copy into a buffer of `size` characters. Of a value in
// quotation marks the opening one is always skipped, but the closing one is
// dropped only when the whole value fits; when it fits with no room to spare,
// the last character before it goes too.
std::string CopyEntry(const std::string& stored, std::size_t size) {
    std::string value = CutAtNul(stored);
    bool quoted = value.size() >= 2 && IsQuote(value[0]) && value.back() == value[0];
    if (quoted) {
        value.erase(0, 1);
    }
    std::string copy = value.substr(0, size - 1);
    if (quoted && size >= value.size() && !copy.empty()) {
        copy.pop_back();
    }
    return copy;
}

}  // namespace

std::string Utf8FromAnsi(const std::string& text) {
    std::string utf8;
    for (char c : text) {
        char32_t code = UnicodeCharacter(c);
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

bool IsProfileBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A;
}

bool ProfileNameMatches(const std::string& stored, const std::string& wanted) {
    if (stored.size() < wanted.size()) {
        return false;
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (FoldAZ(static_cast<unsigned char>(stored[i])) != FoldAZ(static_cast<unsigned char>(wanted[i]))) {
            return false;
        }
    }
    return stored.size() == wanted.size() || stored[wanted.size()] == '\0';
}

Profile ParseProfile(const std::string& bytes) {
    Profile profile;
    std::string text;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        profile.encoding = ProfileEncoding::Utf8Bom;
        text = AnsiFromUtf8(bytes, 3);
    } else if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        profile.encoding = ProfileEncoding::Utf16LeBom;
        text = AnsiFromUtf16(bytes, false);
    } else if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        profile.encoding = ProfileEncoding::Utf16BeBom;
        text = AnsiFromUtf16(bytes, true);
    } else {
        text = bytes;
    }

    AddSection(profile, ProfileSection{"", 0, {}, {}});
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        // CR and LF each end a line; CR LF counts once, as an editor shows it.
        std::size_t end = text.find_first_of("\r\n", start);
        std::size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end != std::string::npos && text[end] == '\r' && next < text.size() && text[next] == '\n') {
            ++next;
        }
        if (end == std::string::npos) {
            end = text.size();
        }
        ++lineNumber;
        std::string line = Trimmed(text.substr(start, end - start));
        start = next;
        if (line.empty()) {
            continue;
        }
        ProfileSection& section = profile.sections.back();
        if (line[0] == '[') {
            std::size_t close = line.rfind(']');
            if (close != std::string::npos) {
                AddSection(profile, ProfileSection{Trimmed(line.substr(1, close - 1)), lineNumber, {}, {}});
                continue;
            }
            profile.unclosedSectionLines.push_back(ProfileOddLine{lineNumber, line});
        }
        ProfileEntry entry{line, false, "", lineNumber};
        std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            entry.name = Trimmed(line.substr(0, equals));
            entry.hasValue = true;
            entry.value = Trimmed(line.substr(equals + 1));
        }
        // Unnamed entries in a row are kept once.
        if (!entry.name.empty() || section.entries.empty() || !section.entries.back().name.empty()) {
            AddEntry(section, std::move(entry));
        }
    }
    return profile;
}

const ProfileSection* FindProfileSection(const Profile& profile, const std::string& section) {
    auto found = profile.firstSection.find(LookupName(Trimmed(CutAtNul(section))));
    return found != profile.firstSection.end() ? &profile.sections[found->second] : nullptr;
}

const ProfileEntry* FindProfileEntry(const Profile& profile, const std::string& section, const std::string& key) {
    const ProfileSection* inSection = FindProfileSection(profile, section);
    if (inSection == nullptr) {
        return nullptr;
    }
    auto found = inSection->firstEntry.find(LookupName(Trimmed(CutAtNul(key))));
    return found != inSection->firstEntry.end() ? &inSection->entries[found->second] : nullptr;
}

std::string ProfileString(const Profile& profile, const std::string& section, const std::string& key,
                          const std::string& defaultValue, std::size_t size) {
    const ProfileEntry* entry = FindProfileEntry(profile, section, key);
    if (entry != nullptr && entry->hasValue) {
        return CopyEntry(entry->value, size);
    }
    // The default loses its trailing spaces, all but a first character.
    std::string fallback = CutAtNul(defaultValue);
    while (fallback.size() > 1 && fallback.back() == ' ') {
        fallback.pop_back();
    }
    return CopyEntry(fallback, size);
}

std::string FullProfileValue(const std::string& storedValue) {
    return CopyEntry(storedValue, storedValue.size() + 2);
}
