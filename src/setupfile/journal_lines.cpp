#include "setupfile/journal_lines.h"

#include "setupfile/paths.h"
#include "setupfile/record_path.h"

namespace {

const char kHeader[] = "Patch Setup install journal 1";
const char kLineEnd[] = "\r\n";
constexpr char kFieldSeparator = '\t';
const wchar_t kJournalSuffix[] = L".install-journal";

struct KindName {
    JournalEntryKind kind;
    const char* name;
    int paths;  // fields after the name
};

const KindName kKinds[] = {
    {JournalEntryKind::NewFolder, "new-folder", 1},
    {JournalEntryKind::NewFile, "new-file", 1},
    {JournalEntryKind::SetAside, "set-aside", 2},
    {JournalEntryKind::Finished, "finished", 0},
};

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
        if (static_cast<int>(fields.size()) != 1 + kind.paths) {
            return false;
        }
        entry = JournalEntry{kind.kind, u"", u""};
        return (kind.paths < 1 || DecodePercentEncodedUtf8(fields[1], entry.path)) &&
               (kind.paths < 2 || DecodePercentEncodedUtf8(fields[2], entry.setAside));
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
        if (kind.paths >= 1) {
            line += kFieldSeparator + PercentEncodedUtf8(entry.path);
        }
        if (kind.paths >= 2) {
            line += kFieldSeparator + PercentEncodedUtf8(entry.setAside);
        }
        return line + kLineEnd;
    }
    return std::string();
}

bool ReadJournal(const std::string& text, std::vector<JournalEntry>& entries) {
    const std::string header = JournalHeaderLine();
    if (text.compare(0, header.size(), header) != 0) {
        return false;
    }
    entries.clear();
    std::size_t start = header.size();
    for (;;) {
        const std::size_t end = text.find(kLineEnd, start);
        JournalEntry entry{JournalEntryKind::Finished, u"", u""};
        if (end == std::string::npos || !ReadEntry(text.substr(start, end - start), entry)) {
            return true;
        }
        entries.push_back(entry);
        start = end + 2;
    }
}

std::wstring JournalPathOf(const std::wstring& folder) {
    return WithoutFinalBackslash(folder) + kJournalSuffix;
}
