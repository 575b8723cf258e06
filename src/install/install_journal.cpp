#include "install/install_journal.h"

#include <vector>

#include "process/change_step.h"

namespace {

// Read in chunks of this size; a journal holds a line per file.
constexpr DWORD kReadChunk = 65536;

bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

bool StartJournal(const std::wstring& targetFolder, InstallJournal& journal) {
    journal.path = JournalPathOf(targetFolder);
    // Only this install writes it; others may read it, and a journal that is
    // there already belongs to a run that the repair couldn't finish.
    journal.file = CreateFileW(journal.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (journal.file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Not flushed: a journal that a power cut cuts short in its header names
    // no change, and the first change that puts a user's file at stake
    // flushes it all.
    if (!WriteAll(journal.file, JournalHeaderLine())) {
        // Nothing was changed yet: the journal is of no use to anyone.
        EndJournal(journal);
        return false;
    }
    AfterChange();
    return true;
}

bool WriteAhead(InstallJournal& journal, const JournalEntry& entry, bool durable) {
    if (!WriteAll(journal.file, JournalLine(entry)) || (durable && !FlushJournalToDisk(journal.file, entry.kind))) {
        return false;
    }
    // The entry is a change of its own: a kill may come before the one it names.
    AfterChange();
    return true;
}

void CloseJournal(InstallJournal& journal) {
    if (journal.file != INVALID_HANDLE_VALUE) {
        // Every entry that mattered was flushed when it was written.
        (void)CloseHandle(journal.file);
        journal.file = INVALID_HANDLE_VALUE;
    }
}

void EndJournal(InstallJournal& journal) {
    CloseJournal(journal);
    // A journal left behind would only make the next start repair what is
    // already as it should be, and nothing is lost by that.
    (void)DeleteFileW(journal.path.c_str());
}

bool ReadJournalOf(const std::wstring& targetFolder, std::string& text) {
    HANDLE file = CreateFileW(JournalPathOf(targetFolder).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    text.clear();
    std::vector<char> chunk(kReadChunk);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk.data(), kReadChunk, &got, nullptr)) {
            (void)CloseHandle(file);
            return false;
        }
        if (got == 0) {
            break;
        }
        text.append(chunk.data(), got);
    }
    // Only read from: a failed close loses nothing.
    (void)CloseHandle(file);
    return true;
}

bool DeleteJournalOf(const std::wstring& targetFolder) {
    return DeleteFileW(JournalPathOf(targetFolder).c_str()) != FALSE;
}
