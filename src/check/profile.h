#pragma once
// Setup.ini as the platform's profile reader sees it, for the checker, which
// runs where there is no such reader. The rules were taken from that reader
// by experiment and are held to it by a differential test. No Win32 here.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

// How the bytes of the file were encoded. Setup.exe reads a file in the
// ANSI code page or in UTF-16 LE with its mark; it takes any other for ANSI.
enum class ProfileEncoding { Ansi, Utf8Bom, Utf16LeBom, Utf16BeBom, Utf16LeUnmarked, Utf16BeUnmarked };

struct ProfileEntry {
    std::string name;   // trimmed; may hold a NUL, which ends it for lookups
    bool hasValue;      // false for a line without "="
    std::string value;  // trimmed, quotation marks still on
    int line;           // 1-based, as an editor counts (CR LF is one line end)
};

// A name as the reader looks it up: up to a NUL, letters A to Z folded.
using ProfileLookupName = std::string;

struct ProfileSection {
    std::string name;  // trimmed; empty for the entries before any section line
    int line;          // 0 for the implicit first section
    std::vector<ProfileEntry> entries;
    // The index of the first entry of each name, so that a lookup costs the
    // same in a section of 100,000 entries as in one of ten.
    std::unordered_map<ProfileLookupName, std::size_t> firstEntry;
};

// A line that starts with "[" but has no "]": it is read as an entry.
struct ProfileOddLine {
    int line;
    std::string text;
};

struct Profile {
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    // Always starts with the implicit unnamed section; later sections of the
    // same name (letter case aside) are never looked at.
    std::vector<ProfileSection> sections;
    // The index of the first section of each name.
    std::unordered_map<ProfileLookupName, std::size_t> firstSection;
    std::vector<ProfileOddLine> unclosedSectionLines;
};

// The file's bytes split into sections and entries, every name and value in
// UTF-8. A file in UTF-16 LE with its mark is read as the platform's wide
// reader reads it; an ANSI one in the ANSI code page (Windows-1252). Files in
// other encodings, which Setup.exe misreads, are read as their authors meant
// them, so that their other findings show too.
Profile ParseProfile(const std::string& bytes);

// Whether c is a blank that the reader trims around names and values.
bool IsProfileBlank(unsigned char c);

// Name comparison of the reader: letters A to Z folded, nothing else; the
// stored name ends at a NUL.
bool ProfileNameMatches(const std::string& stored, const std::string& wanted);

// The first section of that name, or null.
const ProfileSection* FindProfileSection(const Profile& profile, const std::string& section);
// Its first entry of that name, or null; later sections of the same name are
// not searched.
const ProfileEntry* FindProfileEntry(const Profile& profile, const std::string& section, const std::string& key);

// What the platform's reader places into a buffer of `size` characters
// (UTF-16 units for the wide reader; terminator included, size at least 1)
// for the section and key, with `defaultValue` for a missing key or a line
// without "=".
std::string ProfileString(const Profile& profile, const std::string& section, const std::string& key,
                          const std::string& defaultValue, std::size_t size);

// The value as the reader would give it with an unlimited buffer: quotation
// marks removed, cut at a NUL.
std::string FullProfileValue(const std::string& storedValue);
