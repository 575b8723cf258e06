#pragma once
// The install journal: what a running install is about to change, written
// ahead of each change, so that the next start can put the disk back after
// a kill. One entry a line, CR LF; paths in the percent-encoded UTF-8 of
// record_path.h, fields apart by a tab. No Win32 here.

#include <string>
#include <vector>

enum class JournalEntryKind {
    NewFolder,    // a folder that nothing was at: removed again when empty
    NewFile,      // a file written where nothing was: deleted again
    SetAside,     // the file at `path` waits under `setAside` to be put back
    Kept,         // the file at `path`, which the patch replaces, is kept under `setAside`, for a roll-back and the uninstall
    EntryValue,   // a value that the Apps entry `path` held before: `setAside` its name, `detail` its type and data
    AppsEntry,    // the Apps entry `path` is about to be written; `detail` says whether it was there before
    Attributes,   // the folder `path` had the attributes of `detail` (hex) before they were reset
    Finished,     // the install is done: only the set-aside files are left to delete
};

struct JournalEntry {
    JournalEntryKind kind;
    std::u16string path;
    std::u16string setAside;
    std::string detail;  // plain ASCII
};

// The words of an AppsEntry's detail.
inline constexpr char kEntryWasThere[] = "earlier";
inline constexpr char kEntryWasNot[] = "new";

// The first line of every journal: a file without it is no journal of ours.
std::string JournalHeaderLine();

std::string JournalLine(const JournalEntry& entry);

// The entries of a journal's text, in the order written. A last line cut
// short (the install was killed while writing it) was never acted on and is
// left out; a header cut short gives no entries. False when the text doesn't
// begin with the header, or a complete line can't be read.
bool ReadJournal(const std::string& text, std::vector<JournalEntry>& entries);

// Where the journal of an install into `folder` lies: beside the folder, not
// in it, so that it can be written before the folder is made.
std::wstring JournalPathOf(const std::wstring& folder);
