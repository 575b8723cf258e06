#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setupfile/journal_lines.h"

namespace {

bool SameEntries(const std::vector<JournalEntry>& a, const std::vector<JournalEntry>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].path != b[i].path || a[i].setAside != b[i].setAside) {
            return false;
        }
    }
    return true;
}

const std::vector<JournalEntry> kEntries = {
    {JournalEntryKind::NewFolder, u"C:\\Program Files\\\u0141\u00F3d\u017A", u"", ""},
    {JournalEntryKind::NewFile, u"C:\\Program Files\\a\tb.txt", u"", ""},
    {JournalEntryKind::SetAside, u"C:\\x\\Setup.ini", u"C:\\x\\old1f-0.tmp", ""},
    {JournalEntryKind::Kept, u"C:\\x\\Data\\Tracks.dat", u"C:\\x\\_$_Originals_$_\\Data\\Tracks.dat", ""},
    {JournalEntryKind::Finished, u"", u"", ""},
};

std::string Written(const std::vector<JournalEntry>& entries) {
    std::string text = JournalHeaderLine();
    for (const JournalEntry& entry : entries) {
        text += JournalLine(entry);
    }
    return text;
}

TEST(Journal, ReadsBackWhatWasWritten) {
    std::vector<JournalEntry> read;
    ASSERT_TRUE(ReadJournal(Written(kEntries), read));
    EXPECT_TRUE(SameEntries(read, kEntries));
    EXPECT_EQ(JournalLine(kEntries[2]), "set-aside\tC:\\x\\Setup.ini\tC:\\x\\old1f-0.tmp\r\n");
}

// A kill may come while a line is written: that change was never made.
TEST(Journal, EndsBeforeALastLineCutShort) {
    const std::string whole = Written(kEntries);
    std::vector<JournalEntry> read;
    ASSERT_TRUE(ReadJournal(whole.substr(0, whole.size() - 3), read));
    EXPECT_TRUE(SameEntries(read, {kEntries[0], kEntries[1], kEntries[2], kEntries[3]}));
    // Cut inside its header: nothing was changed yet.
    for (std::size_t length : {std::size_t{0}, std::size_t{5}, JournalHeaderLine().size() - 1}) {
        ASSERT_TRUE(ReadJournal(JournalHeaderLine().substr(0, length), read)) << length;
        EXPECT_TRUE(read.empty()) << length;
    }
}

// A line that can't be read before a whole one: entries after it would be
// lost, and with them the way back to a user's file.
TEST(Journal, ALineThatCantBeReadBeforeAnotherIsNoJournal) {
    std::vector<JournalEntry> read;
    for (const char* damaged : {"moved\tC:\\x\r\n", "new-file\r\n", "new-file\ta\tb\r\n", "new-file\t%zz\r\n"}) {
        EXPECT_FALSE(ReadJournal(Written({kEntries[0]}) + damaged + JournalLine(kEntries[1]), read)) << damaged;
    }
    EXPECT_FALSE(ReadJournal("new-file\tC:\\x\r\n", read));
    EXPECT_FALSE(ReadJournal(JournalHeaderLine().substr(0, 5) + "x", read));
}

TEST(Journal, LiesBesideItsFolder) {
    EXPECT_EQ(JournalPathOf(L"C:\\Program Files\\Patch"), L"C:\\Program Files\\Patch.install-journal");
    EXPECT_EQ(JournalPathOf(L"C:\\Program Files\\Patch\\"), L"C:\\Program Files\\Patch.install-journal");
}

}  // namespace
