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
TEST(Journal, EndsAtALineCutShortOrOneThatCantBeRead) {
    const std::string whole = Written(kEntries);
    std::vector<JournalEntry> read;
    ASSERT_TRUE(ReadJournal(whole.substr(0, whole.size() - 3), read));
    EXPECT_TRUE(SameEntries(read, {kEntries[0], kEntries[1], kEntries[2]}));
    for (const char* damaged : {"moved\tC:\\x\r\n", "new-file\r\n", "new-file\ta\tb\r\n", "new-file\t%zz\r\n"}) {
        ASSERT_TRUE(ReadJournal(Written({kEntries[0]}) + damaged + JournalLine(kEntries[1]), read)) << damaged;
        EXPECT_TRUE(SameEntries(read, {kEntries[0]})) << damaged;
    }
}

TEST(Journal, AFileWithoutTheHeaderIsNoJournal) {
    std::vector<JournalEntry> read;
    EXPECT_FALSE(ReadJournal("", read));
    EXPECT_FALSE(ReadJournal("new-file\tC:\\x\r\n", read));
    EXPECT_TRUE(ReadJournal(JournalHeaderLine(), read));
    EXPECT_TRUE(read.empty());
}

TEST(Journal, LiesBesideItsFolder) {
    EXPECT_EQ(JournalPathOf(L"C:\\Program Files\\Patch"), L"C:\\Program Files\\Patch.install-journal");
    EXPECT_EQ(JournalPathOf(L"C:\\Program Files\\Patch\\"), L"C:\\Program Files\\Patch.install-journal");
}

}  // namespace
