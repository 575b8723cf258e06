#include "check/profile.h"

#include <algorithm>
#include <utility>

#include "check/text_encoding.h"

namespace {

// A file without a mark is taken for UTF-16 when its first units, up to this
// many, all pair a NUL with another byte on the same side.
constexpr std::size_t kUnmarkedUtf16Probe = 16;
constexpr std::size_t kLeastUnmarkedUtf16Units = 2;

// UTF-16 without a mark: the side of each unit that holds NUL, for ASCII
// text; 0 for little-endian, 1 for big-endian, -1 for no UTF-16.
int UnmarkedUtf16Side(const std::string& bytes) {
    std::size_t units = std::min(bytes.size() / 2, kUnmarkedUtf16Probe);
    if (units < kLeastUnmarkedUtf16Units) {
        return -1;
    }
    for (int side : {0, 1}) {
        bool all = true;
        for (std::size_t i = 0; all && i < units; ++i) {
            all = bytes[2 * i + 1 - side] == '\0' && bytes[2 * i + side] != '\0';
        }
        if (all) {
            return side;
        }
    }
    return -1;
}

// The file's text in UTF-8, decoded as its author meant it: a file with a
// mark, or UTF-16 without one, by that encoding; any other in the ANSI code
// page.
std::string DecodedText(const std::string& bytes, ProfileEncoding& encoding) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding = ProfileEncoding::Utf8Bom;
        return ValidUtf8(bytes.substr(3));
    }
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        encoding = ProfileEncoding::Utf16LeBom;
        return Utf8FromUtf16Bytes(bytes, 2, false);
    }
    if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        encoding = ProfileEncoding::Utf16BeBom;
        return Utf8FromUtf16Bytes(bytes, 2, true);
    }
    int side = UnmarkedUtf16Side(bytes);
    if (side >= 0) {
        encoding = side == 0 ? ProfileEncoding::Utf16LeUnmarked : ProfileEncoding::Utf16BeUnmarked;
        return Utf8FromUtf16Bytes(bytes, 0, side == 1);
    }
    encoding = ProfileEncoding::Ansi;
    return Utf8FromAnsi(bytes);
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

bool IsQuote(char16_t c) {
    return c == u'"' || c == u'\'';
}

// The reader's copy into a buffer of `size` characters (UTF-16 units). Of a
// value in quotation marks the opening one is always skipped, but the
// closing one is dropped only when the whole value fits; when it fits with no
// room to spare, the last character before it goes too.
std::string CopyEntry(const std::string& stored, std::size_t size) {
    std::u16string value = Utf16FromUtf8(CutAtNul(stored));
    bool quoted = value.size() >= 2 && IsQuote(value[0]) && value.back() == value[0];
    if (quoted) {
        value.erase(0, 1);
    }
    std::u16string copy = value.substr(0, size - 1);
    if (quoted && size >= value.size() && !copy.empty()) {
        copy.pop_back();
    }
    return Utf8FromUtf16(copy);
}

}  // namespace

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
    std::string text = DecodedText(bytes, profile.encoding);

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
