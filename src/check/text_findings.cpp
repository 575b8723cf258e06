// Findings on the texts that Setup.exe shows and the names it gives.

#include <cstring>
#include <iterator>

#include "check/checker.h"
#include "check/dialog_text.h"
#include "setupfile/text.h"

namespace {

// Folders of the Start menu's Programs folder that belong to Windows.
const char* const kSpecialGroups[] = {"StartUp", "Administrative Tools", "Accessories", "Accessibility",
                                      "Maintenance", "System Tools", "Windows Accessories",
                                      "Windows Administrative Tools", "Windows Ease of Access",
                                      "Windows PowerShell", "Windows System"};

}  // namespace

void CheckAppName(Checker& c) {
    std::string name = c.Read(keys::kAppName);
    int line = c.LineOf(keys::kAppName);
    std::string bad = BadName(name);
    if (!bad.empty()) {
        c.Error(line, "app-name",
                "AppName " + Quoted(name) + " names the Start-menu group, and it " + bad + "; change it");
        return;
    }
    for (const char* special : kSpecialGroups) {
        if (CompareNoCase(name, special) == 0) {
            c.Error(line, "app-name",
                    "AppName " + Quoted(name) + " is a folder of Windows' own in the Start menu, so " +
                        (CompareNoCase(name, "StartUp") == 0 ? "the patch's shortcuts would start at every logon"
                                                             : "the uninstall would empty it of the patch's "
                                                               "shortcuts and try to remove it") +
                        "; give the patch a name of its own");
        }
    }
}

void CheckDialogTexts(Checker& c) {
    std::string heading = c.Read(keys::kAppName);
    std::string shown = HeadingShows(heading);
    if (shown.size() < heading.size()) {
        c.Warning(c.LineOf(keys::kAppName), "dialog-text",
                  FormatString("AppName \"%s\" takes %d pixels, more than the %d of the dialog's one-line heading, "
                               "which shows only \"%s\"; shorten it",
                               heading.c_str(), DialogTextWidth(heading), kHeadingWidth, shown.c_str()));
    }
    // The same text box shows the install text and, in uninstall, the other.
    for (const SetupKey* key : {&keys::kDialogInstallText, &keys::kDialogUninstallText}) {
        std::size_t lines = BodyLineCount(ExpandLineBreaks(c.Read(*key)));
        if (lines > static_cast<std::size_t>(kBodyLines)) {
            c.Warning(c.LineOf(*key), "dialog-text",
                      FormatString("%s takes %u lines in the dialog's text box, which shows %d without scrolling; "
                                   "shorten it unless the user may scroll for the rest",
                                   key->name, static_cast<unsigned>(lines), kBodyLines));
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
                      FormatString("\"\\n\" in %s is shown as it is, as only texts break lines; remove it",
                                   key->name));
        }
        for (std::size_t i = 0; key->use == KeyUse::Text && i + 1 < value.size(); ++i) {
            if (value[i] == '\\' && std::strchr("Nrt", value[i + 1]) != nullptr) {
                c.Warning(c.LineOf(*key), "escape",
                          FormatString("\"\\%c\" in %s is shown as it is, as the only escape is \"\\n\"; remove it",
                                       value[i + 1], key->name));
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
                      FormatString("%s is empty, so Setup.exe shows its default \"%s\", as an empty value can't "
                                   "make a text empty; write the text or remove the line",
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
                      FormatString("without %s the shortcut is named \".lnk\", and shortcuts without names "
                                   "replace each other; name it",
                                   key.name));
        } else if (std::string bad = BadName(name); !bad.empty()) {
            c.Warning(line, "shortcut",
                      FormatString("%s \"%s\" %s; rename it", key.name, name.c_str(), bad.c_str()));
        }
        for (std::size_t j = 0; j < i; ++j) {
            std::string earlier = c.Read(*shortcuts[j].key);
            if (!name.empty() && CompareNoCase(earlier, name.c_str()) == 0) {
                c.Warning(line, "shortcut",
                          FormatString("%s is the same as %s, so the later shortcut replaces the earlier; give them "
                                       "different names",
                                       key.name, shortcuts[j].key->name));
            }
        }
        if (shortcuts[i].target != nullptr && !name.empty() && !ListHolds(files, shortcuts[i].target)) {
            c.Warning(line, "shortcut",
                      FormatString("%s points to %s, which [Files] doesn't provide; add %s to [Files]", key.name,
                                   shortcuts[i].target, shortcuts[i].target));
        }
    }
}
