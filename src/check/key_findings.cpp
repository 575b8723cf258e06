// Findings on the file's sections and keys: unknown, repeated or never read.

#include <algorithm>
#include <cstring>

#include "check/checker.h"
#include "check/text_encoding.h"
#include "setupfile/ini_lines.h"
#include "setupfile/text.h"

namespace {

std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            bool same = CompareNoCase(a.substr(i - 1, 1), b.substr(j - 1, 1).c_str()) == 0;
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The sections whose keys Setup.exe reads, each once.
std::vector<const char*> KeySections() {
    std::vector<const char*> sections;
    for (const SetupKey* key : keys::kAll) {
        if (std::none_of(sections.begin(), sections.end(),
                         [key](const char* section) { return std::strcmp(section, key->section) == 0; })) {
            sections.push_back(key->section);
        }
    }
    return sections;
}

const char* Nearest(const std::string& name, const std::vector<const char*>& known) {
    const char* best = known.front();
    for (const char* candidate : known) {
        if (EditDistance(name, candidate) < EditDistance(name, best)) {
            best = candidate;
        }
    }
    return best;
}

// A key of a numbered list: its number, or 0 when Setup.exe never reads it.
int ListNumber(const std::string& name) {
    if (name.empty() || name.size() > 6 || name[0] == '0') {
        return 0;
    }
    int number = 0;
    for (char c : name) {
        if (c < '0' || c > '9') {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

bool IsComment(const ProfileEntry& entry) {
    return !entry.name.empty() && entry.name[0] == ';';
}

const SetupKey* KnownKey(const char* section, const std::string& name) {
    for (const SetupKey* key : keys::kAll) {
        if (std::strcmp(key->section, section) == 0 && ProfileNameMatches(name, key->name)) {
            return key;
        }
    }
    return nullptr;
}

}  // namespace

void CheckStructure(Checker& c) {
    for (const ProfileOddLine& odd : c.profile.unclosedSectionLines) {
        c.Warning(odd.line, "syntax", "a \"[\" without \"]\" is no section line, so it is read as an entry of the section above; close "
                      "the bracket");
    }
    const ProfileSection& outside = c.profile.sections.front();
    for (const ProfileEntry& entry : outside.entries) {
        if (!IsComment(entry)) {
            c.Warning(entry.line, "unknown", "an entry before any section is never read; move it into its section");
        }
    }
    std::vector<const char*> knownSections = KeySections();
    knownSections.push_back(kPreloadDLLsSection);
    knownSections.push_back(kFilesSection);
    for (std::size_t s = 1; s < c.profile.sections.size(); ++s) {
        const ProfileSection& section = c.profile.sections[s];
        const ProfileSection* first = FindProfileSection(c.profile, section.name);
        if (first != &section) {
            c.Warning(section.line, "duplicate",
                      FormatString("section [%s] comes again (first at line %d), and Setup.exe reads only the first, "
                                   "so every entry here is ignored; move them into the first",
                                   section.name.c_str(), first->line));
            continue;
        }
        bool known = false;
        for (const char* name : knownSections) {
            known = known || ProfileNameMatches(section.name, name);
        }
        if (!known) {
            std::string text = "section [" + section.name + "]";
            text += ProfileNameMatches(section.name, kFoldersSection)
                        ? " belongs to the installed Setup.ini, which install writes, so here it is never read; "
                          "remove it"
                        : " is unknown, so it is never read; did you mean [" +
                              std::string(Nearest(section.name, knownSections)) + "]?";
            c.Warning(section.line, "unknown", text);
        }
        for (const ProfileEntry& entry : section.entries) {
            if (IsComment(entry)) {
                continue;
            }
            if (!entry.hasValue) {
                c.Warning(entry.line, "syntax",
                          "a line without \"=\" is no entry, but it hides a later \"" + entry.name +
                              "=\" in this section; remove it or add the \"=\"");
            }
            const ProfileEntry* firstEntry = FindProfileEntry(c.profile, section.name, entry.name);
            if (firstEntry != &entry && firstEntry != nullptr) {
                c.Warning(entry.line, "duplicate",
                          FormatString("\"%s\" comes again (first at line %d), and Setup.exe reads only the first; "
                                       "keep one of them",
                                       entry.name.c_str(), firstEntry->line));
            }
        }
    }
}

void CheckKeyNames(Checker& c) {
    for (const char* sectionName : KeySections()) {
        const ProfileSection* section = FindProfileSection(c.profile, sectionName);
        if (section == nullptr) {
            continue;
        }
        std::vector<const char*> names;
        for (const SetupKey* key : keys::kAll) {
            if (std::strcmp(key->section, sectionName) == 0) {
                names.push_back(key->name);
            }
        }
        for (const ProfileEntry& entry : section->entries) {
            if (IsComment(entry) || entry.name.empty()) {
                continue;
            }
            const SetupKey* key = KnownKey(sectionName, entry.name);
            if (key == nullptr) {
                c.Warning(entry.line, "unknown",
                          FormatString("the key \"%s\" in [%s] is unknown, so it is never read; did you mean \"%s\"?",
                                       entry.name.c_str(),
                                       sectionName, Nearest(entry.name, names)));
            } else if (key->source == KeySource::Installed) {
                c.Warning(entry.line, "unknown",
                          FormatString("%s belongs to the installed Setup.ini, which install writes, so here it is "
                                       "never read; %s",
                                       key->name,
                                       key == &keys::kDialogText ? "write DialogUninstallText instead" : "remove it"));
            }
        }
    }
}

std::vector<std::string> CheckList(Checker& c, const char* sectionName) {
    std::vector<std::string> list;
    while (true) {
        std::string value = c.Read(sectionName, NumberedKey(static_cast<int>(list.size()) + 1).c_str(), "");
        if (value.empty()) {
            break;
        }
        list.push_back(value);
    }
    const ProfileSection* section = FindProfileSection(c.profile, sectionName);
    if (section == nullptr) {
        return list;
    }
    for (const ProfileEntry& entry : section->entries) {
        if (IsComment(entry) || entry.name.empty()) {
            continue;
        }
        int number = ListNumber(entry.name);
        if (number == 0) {
            c.Warning(entry.line, "unknown",
                      FormatString("\"%s\" in [%s] is no entry number (1, 2, 3, ...), so it is never read; number it",
                                   entry.name.c_str(), sectionName));
        } else if (static_cast<std::size_t>(number) > list.size() + 1) {
            c.Error(entry.line, "list-gap",
                    FormatString("entry %d comes after a gap, as [%s] ends at entry %u, where %s, so it is never "
                                 "read; number the entries without gaps",
                                 number, sectionName, static_cast<unsigned>(list.size()),
                                 list.empty() ? "there is no entry 1" : "the next number is missing or empty"));
        }
    }
    return list;
}

void CheckTooLong(Checker& c) {
    for (std::size_t s = 1; s < c.profile.sections.size(); ++s) {
        const std::string& section = c.profile.sections[s].name;
        for (const ProfileEntry& entry : c.profile.sections[s].entries) {
            // Entries that are never read are findings of their own.
            if (!entry.hasValue || FindProfileEntry(c.profile, section, entry.name) != &entry) {
                continue;
            }
            std::string full = FullProfileValue(entry.value);
            if (Utf16Length(full) >= kMaxSettingLength &&
                ProfileString(c.profile, section, entry.name, "", kReadSize) != full) {
                c.Error(entry.line, "too-long",
                        FormatString("the value of \"%s\" has %u characters, and Setup.exe reads only the first "
                                     "%u; shorten it",
                                     entry.name.c_str(), static_cast<unsigned>(Utf16Length(full)), kMaxSettingLength));
            }
        }
    }
}
