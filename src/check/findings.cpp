#include "check/findings.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <unordered_map>

#include "check/medium_files.h"
#include "check/profile.h"
#include "setupfile/ini_lines.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"
#include "setupfile/text.h"

namespace {

// What the program hands its profile reader: the value and its terminator.
constexpr std::size_t kReadSize = kMaxSettingLength + 1;
// The Program Files folder of 32-bit programs on 64-bit Windows, the longest
// usual one; the drive letter may differ, the length doesn't.
constexpr const char kLongestProgramFiles[] = "C:\\Program Files (x86)";
// A file that install copies must be opened by this path length.
constexpr std::size_t kMaxPath = 260;
// Run mode takes the installed Setup.exe's own path into a buffer of this
// size, terminator included; uninstall's is one larger.
constexpr std::size_t kOwnPathBuffer = 255;

// Folders of the Start menu's Programs folder that belong to Windows.
const char* const kSpecialGroups[] = {"StartUp", "Administrative Tools", "Accessories", "Accessibility",
                                      "Maintenance", "System Tools", "Windows Accessories",
                                      "Windows Administrative Tools", "Windows Ease of Access",
                                      "Windows PowerShell", "Windows System"};
const char* const kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
                                    "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6",
                                    "LPT7", "LPT8", "LPT9"};
// Values of a Wait key that plainly mean "don't wait".
const char* const kNoWords[] = {"0", "no", "n", "false", "off", ""};

constexpr const char kStartTarget[] = "GamePatch.exe";
constexpr const char kReadMeTarget[] = "GamePatch.txt";
constexpr const char kSetupIni[] = "Setup.ini";
constexpr const char kSetupExe[] = "Setup.exe";

struct Checker {
    const std::string& mediumDir;
    const GameDisc* disc;
    Profile profile;
    std::vector<Finding> findings;

    void Add(int line, Severity severity, const char* code, const std::string& text) {
        findings.push_back(Finding{line, severity, code, text});
    }
    void Error(int line, const char* code, const std::string& text) { Add(line, Severity::Error, code, text); }
    void Warning(int line, const char* code, const std::string& text) { Add(line, Severity::Warning, code, text); }

    // What ReadSetting gives.
    std::string Read(const char* section, const char* key, const char* defaultValue) const {
        std::string value = ProfileString(profile, section, key, defaultValue, kReadSize);
        return value.empty() ? std::string(defaultValue) : value;
    }
    std::string Read(const SetupKey& key) const { return Read(key.section, key.name, key.defaultValue); }
    int LineOf(const char* section, const char* key) const {
        const ProfileEntry* entry = FindProfileEntry(profile, section, key);
        return entry != nullptr ? entry->line : 0;
    }
    int LineOf(const SetupKey& key) const { return LineOf(key.section, key.name); }
    bool IsSet(const SetupKey& key) const { return LineOf(key) != 0; }
};

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// The first character that no file or folder name can hold, or 0.
char ForbiddenNameCharacter(const std::string& name) {
    for (unsigned char c : name) {
        if (IsControl(c) || std::strchr("\\/:*?\"<>|", c) != nullptr) {
            return static_cast<char>(c);
        }
    }
    return 0;
}

std::string Shown(char c) {
    if (IsControl(static_cast<unsigned char>(c))) {
        return FormatString("the control character %d", static_cast<unsigned char>(c));
    }
    return std::string("\"") + c + "\"";
}

bool IsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.pop_back();
    }
    for (const char* device : kDeviceNames) {
        if (CompareNoCase(stem, device) == 0) {
            return true;
        }
    }
    return false;
}

bool EndsInDotOrBlank(const std::string& name) {
    return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

// Why a name can't be the name of a file or folder, or empty.
std::string BadName(const std::string& name) {
    if (char c = ForbiddenNameCharacter(name)) {
        return "holds " + Shown(c) + ", which a file or folder name can't hold";
    }
    if (IsDeviceName(name)) {
        return "is the name of a device, which Windows opens instead of a folder";
    }
    if (EndsInDotOrBlank(name)) {
        return "ends in a dot or blank, which Windows drops from the name";
    }
    return std::string();
}

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

void CheckEncoding(Checker& c, const std::string& bytes) {
    if (c.profile.encoding != ProfileEncoding::Ansi) {
        c.Warning(1, "encoding",
                  c.profile.encoding == ProfileEncoding::Utf8Bom
                      ? "UTF-8 byte-order mark: Windows may take it for part of the first line; save as ANSI text"
                      : "UTF-16 file: save Setup.ini as ANSI text, as Setup.exe reads it in the ANSI code page");
        return;
    }
    int line = 1;
    int nonAscii = 0;
    int firstNonAscii = 0;
    int lastNulLine = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == '\n' || (b == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++line;
        } else if (b == 0 && line != lastNulLine) {
            c.Warning(line, "encoding", "a NUL byte: the value or name ends there");
            lastNulLine = line;
        } else if (b >= 0x80 && firstNonAscii != line) {
            firstNonAscii = firstNonAscii == 0 ? line : firstNonAscii;
            ++nonAscii;
        }
    }
    if (firstNonAscii != 0) {
        c.Warning(firstNonAscii, "encoding",
                  "bytes outside ASCII: Setup.exe reads them in the ANSI code page of the user's Windows, "
                  "which may not be the one they were written in");
    }
}

void CheckStructure(Checker& c) {
    for (const ProfileOddLine& odd : c.profile.unclosedSectionLines) {
        c.Warning(odd.line, "syntax", "\"[\" without \"]\": not a section line; read as an entry of the section above");
    }
    const ProfileSection& outside = c.profile.sections.front();
    for (const ProfileEntry& entry : outside.entries) {
        if (!IsComment(entry)) {
            c.Warning(entry.line, "unknown", "entry before any section: never read");
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
                      FormatString("section [%s] again (first at line %d): Setup.exe reads only the first, so "
                                   "every entry here is ignored",
                                   section.name.c_str(), first->line));
            continue;
        }
        bool known = false;
        for (const char* name : knownSections) {
            known = known || ProfileNameMatches(section.name, name);
        }
        if (!known) {
            std::string text = "unknown section [" + section.name + "]";
            text += ProfileNameMatches(section.name, kFoldersSection)
                        ? ": only the installed Setup.ini has it, which install writes"
                        : "; did you mean [" + std::string(Nearest(section.name, knownSections)) + "]?";
            c.Warning(section.line, "unknown", text);
        }
        for (const ProfileEntry& entry : section.entries) {
            if (IsComment(entry)) {
                continue;
            }
            if (!entry.hasValue) {
                c.Warning(entry.line, "syntax",
                          "line without \"=\": no entry; it hides a later \"" + entry.name + "=\" in this section");
            }
            const ProfileEntry* firstEntry = FindProfileEntry(c.profile, section.name, entry.name);
            if (firstEntry != &entry && firstEntry != nullptr) {
                c.Warning(entry.line, "duplicate",
                          FormatString("\"%s\" again (first at line %d): Setup.exe reads only the first",
                                       entry.name.c_str(), firstEntry->line));
            }
        }
    }
}

const SetupKey* KnownKey(const char* section, const std::string& name) {
    for (const SetupKey* key : keys::kAll) {
        if (std::strcmp(key->section, section) == 0 && ProfileNameMatches(name, key->name)) {
            return key;
        }
    }
    return nullptr;
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
                          FormatString("unknown key \"%s\" in [%s]; did you mean \"%s\"?", entry.name.c_str(),
                                       sectionName, Nearest(entry.name, names)));
            } else if (key->source == KeySource::Installed) {
                c.Warning(entry.line, "unknown",
                          FormatString("%s belongs to the installed Setup.ini, which install writes: here it is "
                                       "never read%s",
                                       key->name, key == &keys::kDialogText ? "; write DialogUninstallText" : ""));
            }
        }
    }
}

// Every key of a numbered list against the entries that Setup.exe reads.
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
                      FormatString("\"%s\" in [%s] is no entry number (1, 2, 3, ...): never read", entry.name.c_str(),
                                   sectionName));
        } else if (static_cast<std::size_t>(number) > list.size() + 1) {
            c.Error(entry.line, "list-gap",
                    FormatString("entry %d comes after a gap: [%s] ends at entry %u, where %s", number, sectionName,
                                 static_cast<unsigned>(list.size()),
                                 list.empty() ? "there is no entry 1" : "the next number is missing or empty"));
        }
    }
    return list;
}

// A file's path as Windows tells paths apart: one key for all spellings of
// the same file.
std::u32string FileNameKey(const std::string& path) {
    std::string key;
    for (std::string name : PathNames(path)) {
        // Windows drops dots and blanks at the end of a name.
        while (EndsInDotOrBlank(name)) {
            name.pop_back();
        }
        key += "\\" + name;
    }
    return FoldedAnsiName(key);
}

bool SameFileName(const std::string& a, const char* b) {
    return FileNameKey(a) == FileNameKey(b);
}

bool ListHolds(const std::vector<std::string>& list, const std::string& name) {
    for (const std::string& entry : list) {
        if (SameFileName(entry, name.c_str())) {
            return true;
        }
    }
    return false;
}

// A Files entry that install copies from the medium into the target folder.
void CheckCopiedFile(Checker& c, int line, const std::string& name, const std::string& targetFolder) {
    std::vector<std::string> names = PathNames(name);
    if (names.size() > 1) {
        std::string folder = name.substr(0, name.find_last_of("\\/"));
        c.Warning(line, "file-folder",
                  Quoted(name) + " has a folder part: install creates no folders, so the copy works only "
                                 "where the target folder holds " + Quoted(folder) +
                      " already (a patch into an existing game folder); elsewhere the install fails");
    }
    // The disc of the medium has Joliet names, as Windows reads them.
    for (const std::string& part : names) {
        if (part.size() > kMaxJolietName) {
            c.Error(line, "joliet-name",
                    FormatString("\"%s\" has a name of %u characters; a disc with Joliet names holds at most %u, so "
                                 "on the disc the file is named otherwise and install can't find it",
                                 name.c_str(), static_cast<unsigned>(part.size()),
                                 static_cast<unsigned>(kMaxJolietName)));
            break;
        }
    }
    MediumItem item = FindOnMedium(c.mediumDir, name);
    if (item != MediumItem::File) {
        c.Error(line, "missing-file", Quoted(name) + (item == MediumItem::Folder
                                                          ? " is a folder: install copies files only"
                                                          : " is not on the medium"));
    }
    std::size_t destination = std::strlen(kLongestProgramFiles) + 1 + targetFolder.size() + 1 + name.size();
    if (destination >= kMaxPath) {
        c.Error(line, "path-length",
                FormatString("the copy of \"%s\" would have a path of %u characters; Windows opens "
                             "files by paths of at most %u",
                             name.c_str(), static_cast<unsigned>(destination), static_cast<unsigned>(kMaxPath - 1)));
    }
}

void CheckFiles(Checker& c, const std::vector<std::string>& files, const std::string& targetFolder) {
    // The first entry of each file, so that a long list is checked in time
    // in proportion to its length.
    std::unordered_map<std::u32string, std::size_t> firstEntry;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& name = files[i];
        int line = c.LineOf(kFilesSection, NumberedKey(static_cast<int>(i) + 1).c_str());
        bool absolute = name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos;
        std::vector<std::string> names = PathNames(name);
        bool dots = std::find(names.begin(), names.end(), "..") != names.end() ||
                    std::find(names.begin(), names.end(), ".") != names.end();
        if (absolute) {
            c.Error(line, "file-path", Quoted(name) + " is absolute or names a drive: install copies names relative "
                                                      "to the medium and the target folder");
        } else if (dots) {
            c.Error(line, "file-path", Quoted(name) + " holds \".\" or \"..\": the copy would land outside the "
                                                      "target folder or nowhere");
        } else if (names.size() == 1 && (SameFileName(name, kSetupIni) || SameFileName(name, kSetupExe))) {
            c.Error(line, "setup-file", Quoted(name) + " is copied by install itself; listed, " +
                                            (SameFileName(name, kSetupIni)
                                                 ? "it would overwrite the installed Setup.ini"
                                                 : "it is copied twice"));
        } else {
            CheckCopiedFile(c, line, name, targetFolder);
        }
        auto first = firstEntry.emplace(FileNameKey(name), i).first;
        if (first->second != i) {
            c.Warning(line, "duplicate", Quoted(name) + FormatString(" is listed before, as entry %u: it is "
                                                                     "copied twice",
                                                                     static_cast<unsigned>(first->second + 1)));
        }
    }
}

void CheckPreloads(Checker& c, const std::vector<std::string>& preloads, const std::vector<std::string>& files) {
    for (std::size_t i = 0; i < preloads.size(); ++i) {
        const std::string& name = preloads[i];
        if (name.find_first_of("\\/:") == std::string::npos && !ListHolds(files, name)) {
            c.Warning(c.LineOf(kPreloadDLLsSection, NumberedKey(static_cast<int>(i) + 1).c_str()), "preload",
                      Quoted(name) + " is not in [Files]: run mode looks for it beside the installed Setup.exe "
                                     "first, where install puts only the [Files] entries");
        }
    }
}

void CheckMode(Checker& c, const std::vector<std::string>& files) {
    const ProfileEntry* entry = FindProfileEntry(c.profile, keys::kMode.section, keys::kMode.name);
    std::string mode = c.Read(keys::kMode);
    if (entry == nullptr || !entry->hasValue) {
        c.Error(entry != nullptr ? entry->line : 0, "mode",
                "no Mode: Setup.exe started without a switch runs the patch instead of installing it; write "
                "Mode=\"Install\"");
    } else if (!EqualsExactly(mode, "Install") && !EqualsExactly(mode, kInstalledMode)) {
        c.Error(entry->line, "mode",
                "Mode " + Quoted(mode) +
                    (CompareNoCase(mode, "Install") == 0
                         ? " is not \"Install\": letter case counts, so Setup.exe runs the patch instead of "
                           "installing it"
                     : CompareNoCase(mode, kInstalledMode) == 0
                         ? " is not \"Run\": letter case counts; it runs the patch all the same, but say so exactly"
                         : " is neither \"Install\" nor \"Run\": Setup.exe started without a switch runs the patch"));
    } else if (EqualsExactly(mode, kInstalledMode) && !files.empty()) {
        c.Warning(entry->line, "run-mode",
                  "Mode \"Run\" with [Files]: started without a switch (a double-click), Setup.exe runs the patch; "
                  "only \"Setup.exe -install\" installs it");
    }
}

void CheckTargetFolder(Checker& c) {
    std::string folder = c.Read(keys::kTargetFolder);
    int line = c.LineOf(keys::kTargetFolder);
    std::vector<std::string> names = PathNames(folder);
    std::string problem;
    std::size_t blanks = folder.find_first_not_of(" \t");
    if (blanks == std::string::npos) {
        problem = "is blank: install would use the Program Files folder itself";
    } else if (folder[0] == '\\' || folder[0] == '/' || folder.find(':') != std::string::npos) {
        problem = "is absolute or names a drive: it is appended to the Program Files folder";
    } else if (std::find(names.begin(), names.end(), "..") != names.end() ||
               std::find(names.begin(), names.end(), ".") != names.end()) {
        problem = "holds \".\" or \"..\": the target would not be a folder of its own under Program Files";
    } else {
        for (const std::string& name : names) {
            std::string bad = BadName(name);
            if (!bad.empty()) {
                problem = "\"" + name + "\" " + bad;
                break;
            }
        }
    }
    if (!problem.empty()) {
        c.Error(line, "target-folder", "TargetFolder " + Quoted(folder) + " " + problem);
        return;
    }
    if (names.size() > 1) {
        c.Warning(line, "target-parent",
                  "TargetFolder " + Quoted(folder) +
                      " has more than one level: install creates only the last, so the others must exist already");
    }
    std::size_t length = std::strlen(kLongestProgramFiles) + 1 + folder.size() + 1 + std::strlen(kSetupExe);
    if (length >= kOwnPathBuffer) {
        c.Error(line, "path-length",
                FormatString("under %s the installed Setup.exe would have a path of %u characters; run mode "
                             "can take its own path only up to %u",
                             kLongestProgramFiles, static_cast<unsigned>(length),
                             static_cast<unsigned>(kOwnPathBuffer - 1)));
    }
}

void CheckAppName(Checker& c) {
    std::string name = c.Read(keys::kAppName);
    int line = c.LineOf(keys::kAppName);
    std::string bad = BadName(name);
    if (!bad.empty()) {
        c.Error(line, "app-name", "AppName " + Quoted(name) + " names the Start-menu group and " + bad);
        return;
    }
    for (const char* special : kSpecialGroups) {
        if (CompareNoCase(name, special) == 0) {
            c.Error(line, "app-name",
                    "AppName " + Quoted(name) + " is a folder of Windows' own in the Start menu" +
                        (CompareNoCase(name, "StartUp") == 0 ? ": the patch's shortcuts would start at every logon"
                                                             : ": the uninstall would empty it of the patch's "
                                                               "shortcuts and try to remove it"));
        }
    }
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
            if (full.size() >= kMaxSettingLength &&
                ProfileString(c.profile, section, entry.name, "", kReadSize) != full) {
                c.Error(entry.line, "too-long",
                        FormatString("the value of \"%s\" has %u characters; Setup.exe reads only the first %u",
                                     entry.name.c_str(), static_cast<unsigned>(full.size()), kMaxSettingLength));
            }
        }
    }
}

void CheckWait(Checker& c) {
    for (const SetupKey* key : {&keys::kWaitExecute, &keys::kWaitExecuteCD}) {
        std::string value = c.Read(*key);
        if (EqualsExactly(value, "1")) {
            continue;
        }
        bool no = false;
        for (const char* word : kNoWords) {
            no = no || CompareNoCase(value, word) == 0;
        }
        if (!no) {
            c.Warning(c.LineOf(*key), "wait",
                      FormatString("%s=\"%s\" means no wait: only exactly \"1\" makes run mode wait", key->name,
                                   value.c_str()));
        }
    }
}

void CheckEscapes(Checker& c) {
    for (const SetupKey* key : keys::kAll) {
        // A key that is never read from this file has its finding already.
        if (!c.IsSet(*key) || key->source != KeySource::Medium) {
            continue;
        }
        std::string value = c.Read(*key);
        if (key->use == KeyUse::Caption && value.find("\\n") != std::string::npos) {
            c.Warning(c.LineOf(*key), "escape",
                      FormatString("\"\\n\" in %s is shown as it is: only texts break lines", key->name));
        }
        for (std::size_t i = 0; key->use == KeyUse::Text && i + 1 < value.size(); ++i) {
            if (value[i] == '\\' && std::strchr("Nrt", value[i + 1]) != nullptr) {
                c.Warning(c.LineOf(*key), "escape",
                          FormatString("\"\\%c\" in %s is shown as it is: the only escape is \"\\n\"", value[i + 1],
                                       key->name));
                break;
            }
        }
    }
}

// An empty value reads as the default, so a text with one can't be made
// empty; where the default is empty, empty is just what it says.
void CheckEmptyTexts(Checker& c) {
    for (const SetupKey* key : keys::kAll) {
        bool shown = key->use == KeyUse::Caption || key->use == KeyUse::Text;
        if (!shown || key->source != KeySource::Medium || key->defaultValue[0] == '\0') {
            continue;
        }
        const ProfileEntry* entry = FindProfileEntry(c.profile, key->section, key->name);
        if (entry != nullptr && entry->hasValue &&
            ProfileString(c.profile, key->section, key->name, "", kReadSize).empty()) {
            c.Warning(entry->line, "empty-text",
                      FormatString("%s is empty, so Setup.exe shows its default \"%s\": an empty value can't make a "
                                   "text empty",
                                   key->name, key->defaultValue));
        }
    }
}

void CheckShortcuts(Checker& c, const std::vector<std::string>& files) {
    struct Shortcut {
        const SetupKey* key;
        const char* target;  // null: always provided
    };
    const Shortcut shortcuts[] = {{&keys::kShortcutStart, kStartTarget},
                                  {&keys::kShortcutReadMe, kReadMeTarget},
                                  {&keys::kShortcutUninstall, nullptr}};
    for (std::size_t i = 0; i < std::size(shortcuts); ++i) {
        const SetupKey& key = *shortcuts[i].key;
        std::string name = c.Read(key);
        int line = c.LineOf(key);
        if (name.empty()) {
            c.Warning(line, "shortcut",
                      FormatString("no %s: the shortcut is named \".lnk\", and shortcuts without names replace "
                                   "each other",
                                   key.name));
        } else if (std::string bad = BadName(name); !bad.empty()) {
            c.Warning(line, "shortcut", FormatString("%s \"%s\" %s", key.name, name.c_str(), bad.c_str()));
        }
        for (std::size_t j = 0; j < i; ++j) {
            std::string earlier = c.Read(*shortcuts[j].key);
            if (!name.empty() && CompareNoCase(earlier, name.c_str()) == 0) {
                c.Warning(line, "shortcut",
                          FormatString("%s is the same as %s: the later shortcut replaces the earlier", key.name,
                                       shortcuts[j].key->name));
            }
        }
        if (shortcuts[i].target != nullptr && !name.empty() && !ListHolds(files, shortcuts[i].target)) {
            c.Warning(line, "shortcut",
                      FormatString("%s points to %s, which [Files] doesn't provide", key.name, shortcuts[i].target));
        }
    }
}

void CheckVolume(Checker& c) {
    std::string volume = c.Read(keys::kVolume);
    if (volume.empty()) {
        return;
    }
    int line = c.LineOf(keys::kVolume);
    for (unsigned char ch : volume) {
        if (IsControl(ch) || std::strchr("*/:;?\\", ch) != nullptr) {
            c.Warning(line, "volume",
                      "Volume " + Quoted(volume) + " holds " + Shown(static_cast<char>(ch)) +
                          ", which a disc label can't hold: no disc will match");
            return;
        }
    }
    if (volume.size() > kLabelFieldSize) {
        c.Warning(line, "volume",
                  FormatString("Volume \"%s\" has %u characters; a disc label has at most %u (%u on a disc with "
                               "Joliet names): no disc will match",
                               volume.c_str(), static_cast<unsigned>(volume.size()),
                               static_cast<unsigned>(kLabelFieldSize), static_cast<unsigned>(kMaxJolietLabel)));
    } else if (volume.size() > kMaxJolietLabel) {
        c.Warning(line, "volume",
                  FormatString("Volume \"%s\" has %u characters; Windows shows at most %u of the label of a disc "
                               "with Joliet names, so only a disc without them (ISO 9660 names only, with a label "
                               "of up to %u) can match",
                               volume.c_str(), static_cast<unsigned>(volume.size()),
                               static_cast<unsigned>(kMaxJolietLabel), static_cast<unsigned>(kLabelFieldSize)));
    } else if (volume.back() == ' ') {
        c.Warning(line, "volume", "Volume " + Quoted(volume) + " ends in a blank, which a disc label can't");
    }
}

void CheckExecute(Checker& c, const std::vector<std::string>& files) {
    std::string execute = c.Read(keys::kExecute);
    if (!execute.empty() && !ListHolds(files, execute)) {
        c.Warning(c.LineOf(keys::kExecute), "execute",
                  "Execute " + Quoted(execute) +
                      " is not in [Files]: run mode starts it from the installed folder, where install puts only "
                      "Setup.exe and the [Files] entries");
    }
}

// Run mode looks for ExecuteCD below the root of each drive: a drive in it
// makes a path that names no file anywhere.
bool NamesDrive(const std::string& path) {
    return path.find(':') != std::string::npos;
}

void CheckExecuteCD(Checker& c) {
    std::string probe = c.Read(keys::kExecuteCD);
    if (NamesDrive(probe)) {
        c.Error(c.LineOf(keys::kExecuteCD), "execute-cd",
                "ExecuteCD " + Quoted(probe) + " names a drive: run mode looks for it below the root of each CD-ROM "
                "drive, as " + Quoted("E:\\" + probe) + ", which no file can be, so no drive ever qualifies");
    }
}

void CheckGameDisc(Checker& c) {
    std::string volume = c.Read(keys::kVolume);
    if (!volume.empty() && CompareNoCase(volume, c.disc->label.c_str()) != 0) {
        c.Error(c.LineOf(keys::kVolume), "disc-label",
                "Volume " + Quoted(volume) + " doesn't match the game disc's label " + Quoted(c.disc->label));
    }
    std::string probe = c.Read(keys::kExecuteCD);
    if (!probe.empty() && !NamesDrive(probe)) {
        MediumItem item = FindOnDisc(*c.disc, probe);
        if (item != MediumItem::File) {
            c.Error(c.LineOf(keys::kExecuteCD), "disc-file",
                    "ExecuteCD " + Quoted(probe) +
                        (item == MediumItem::Folder ? " is a folder on the game disc: run mode rejects the disc"
                                                    : " is not on the game disc: run mode rejects the disc"));
        }
    }
}

}  // namespace

std::vector<Finding> CheckMedium(const std::string& mediumDir, const std::string& setupIni, const GameDisc* gameDisc) {
    Checker c{mediumDir, gameDisc, ParseProfile(setupIni), {}};
    CheckEncoding(c, setupIni);
    CheckStructure(c);
    CheckKeyNames(c);
    std::vector<std::string> files = CheckList(c, kFilesSection);
    CheckMode(c, files);
    std::vector<std::string> preloads = CheckList(c, kPreloadDLLsSection);
    std::string targetFolder = c.Read(keys::kTargetFolder);
    CheckFiles(c, files, targetFolder);
    CheckPreloads(c, preloads, files);
    MediumItem setupExe = FindOnMedium(mediumDir, kSetupExe);
    if (setupExe != MediumItem::File) {
        c.Error(0, "no-setup-exe", "no Setup.exe on the medium");
    }
    CheckTargetFolder(c);
    CheckAppName(c);
    CheckTooLong(c);
    CheckWait(c);
    CheckEscapes(c);
    CheckEmptyTexts(c);
    CheckShortcuts(c, files);
    CheckVolume(c);
    CheckExecute(c, files);
    CheckExecuteCD(c);
    if (gameDisc != nullptr) {
        CheckGameDisc(c);
    }
    std::stable_sort(c.findings.begin(), c.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return c.findings;
}

std::string FindingLine(const Finding& finding) {
    return FormatString("Setup.ini:%d: %s: [%s] ", finding.line,
                        finding.severity == Severity::Error ? "error" : "warning", finding.code.c_str()) +
           finding.text;
}
