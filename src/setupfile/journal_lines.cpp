#include "setupfile/journal_lines.h"

#include "setupfile/paths.h"
#include "setupfile/record_path.h"

namespace {

const char kHeader[] = "Patch Setup install journal 1";
const char kLineEnd[] = "\r\n";
constexpr char kFieldSeparator = '\t';
const wchar_t kJournalSuffix[] = L".install-journal";

// The fields a line holds after its name, in this order.
enum Field : unsigned { kPath = 1, kSetAside = 2, kDetail = 4 };

struct KindName {
    JournalEntryKind kind;
    const char* name;
    unsigned fields;
};

const KindName kKinds[] = {
    {JournalEntryKind::NewFolder, "new-folder", kPath},
    {JournalEntryKind::NewFile, "new-file", kPath},
    {JournalEntryKind::SetAside, "set-aside", kPath | kSetAside},
    {JournalEntryKind::Kept, "kept", kPath | kSetAside},
    {JournalEntryKind::EntryValue, "entry-value", kPath | kSetAside | kDetail},
    {JournalEntryKind::AppsEntry, "apps-entry", kPath | kDetail},
    {JournalEntryKind::Attributes, "attributes", kPath | kDetail},
    {JournalEntryKind::Finished, "finished", 0},
};

std::size_t FieldCount(unsigned fields) {
    return ((fields & kPath) != 0) + ((fields & kSetAside) != 0) + ((fields & kDetail) != 0);
}

// A detail is written as it is: it must not hold what ends a field or a line.
bool IsPlainDetail(const std::string& detail) {
    for (char c : detail) {
        if (c < 0x21 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(kFieldSeparator, start);
        fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return fields;
        }
        start = end + 1;
    }
}

bool ReadEntry(const std::string& line, JournalEntry& entry) {
    const std::vector<std::string> fields = Fields(line);
    for (const KindName& kind : kKinds) {
        if (fields[0] != kind.name) {
            continue;
        }
        if (fields.size() != 1 + FieldCount(kind.fields)) {
            return false;
        }
        entry = JournalEntry{kind.kind, u"", u"", ""};
        std::size_t next = 1;
        if ((kind.fields & kPath) != 0 && !DecodePercentEncodedUtf8(fields[next++], entry.path)) {
            return false;
        }
        if ((kind.fields & kSetAside) != 0 && !DecodePercentEncodedUtf8(fields[next++], entry.setAside)) {
            return false;
        }
        if ((kind.fields & kDetail) != 0) {
            entry.detail = fields[next];
            return IsPlainDetail(entry.detail);
        }
        return true;
    }
    return false;
}

}  // namespace

std::string JournalHeaderLine() {
    return std::string(kHeader) + kLineEnd;
}

std::string JournalLine(const JournalEntry& entry) {
    for (const KindName& kind : kKinds) {
        if (kind.kind != entry.kind) {
            continue;
        }
        std::string line = kind.name;
        if ((kind.fields & kPath) != 0) {
            line += kFieldSeparator + PercentEncodedUtf8(entry.path);
        }
        if ((kind.fields & kSetAside) != 0) {
            line += kFieldSeparator + PercentEncodedUtf8(entry.setAside);
        }
        if ((kind.fields & kDetail) != 0) {
            line += kFieldSeparator + entry.detail;
        }
        return line + kLineEnd;
    }
    return std::string();
}

bool ReadJournal(const std::string& text, std::vector<JournalEntry>& entries) {
    const std::string header = JournalHeaderLine();
    entries.clear();
    // A kill while the header was written: nothing was changed yet.
    if (text.size() < header.size() && header.compare(0, text.size(), text) == 0) {
        return true;
    }
    if (text.compare(0, header.size(), header) != 0) {
        return false;
    }
    const std::size_t lineEndLength = sizeof(kLineEnd) - 1;
    for (std::size_t start = header.size();;) {
        const std::size_t end = text.find(kLineEnd, start);
        if (end == std::string::npos) {
            return true;
        }
        JournalEntry entry{JournalEntryKind::Finished, u"", u"", ""};
        // Only the last line can be cut short: one that can't be read before
        // another means a journal that can't be trusted whole.
        if (!ReadEntry(text.substr(start, end - start), entry)) {
            entries.clear();
            return false;
        }
        entries.push_back(entry);
        start = end + lineEndLength;
    }
}

std::wstring JournalPathOf(const std::wstring& folder) {
    return WithoutFinalBackslash(folder) + kJournalSuffix;
}
