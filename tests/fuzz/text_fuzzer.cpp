// libFuzzer target: no input may crash the splitter, the escape expander, the
// record's path form, the journal or the checker's profile reader, and their
// results must keep the invariants checked below.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/mode_choice.h"
#include "check/profile.h"
#include "check/text_encoding.h"
#include "setupfile/journal_lines.h"
#include "setupfile/record_path.h"
#include "setupfile/text.h"
#include "setupfile/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The splitter sees a C string: it stops at the first NUL.
    const std::string line(bytes.c_str());
    std::size_t total = 0;
    for (const std::string& argument : SplitCommandLine(line.c_str())) {
        total += argument.size();
    }
    if (total > line.size()) {
        std::abort();  // arguments can only come from the line's own bytes
    }
    (void)ChooseMode(line, SplitCommandLine(line.c_str()));

    const std::string expanded = ExpandLineBreaks(bytes);
    if (expanded.size() != bytes.size()) {
        std::abort();  // each escape of two bytes becomes two bytes
    }
    (void)CompareNoCase(bytes, "-install");

    // Every name that the file holds, read back through a small buffer.
    constexpr std::size_t kSmallRead = 8;
    const Profile profile = ParseProfile(bytes);
    for (const ProfileSection& section : profile.sections) {
        for (const ProfileEntry& entry : section.entries) {
            // Counted as the wide reader counts: in UTF-16 units.
            if (Utf16Length(ProfileString(profile, section.name, entry.name, "default", kSmallRead)) >= kSmallRead) {
                std::abort();  // the terminator must still fit
            }
        }
    }
    // A path read from a record writes back to the same text, and the text of
    // any path reads back to that path.
    std::u16string path;
    if (DecodePercentEncodedUtf8(bytes, path)) {
        std::u16string again;
        if (!DecodePercentEncodedUtf8(PercentEncodedUtf8(path), again) || again != path) {
            std::abort();
        }
    }
    // A journal of any bytes reads without a crash, and what it yields writes
    // back to a journal that reads the same.
    std::vector<JournalEntry> entries;
    if (ReadJournal(bytes, entries)) {
        std::string again = JournalHeaderLine();
        for (const JournalEntry& entry : entries) {
            again += JournalLine(entry);
        }
        std::vector<JournalEntry> reread;
        if (!ReadJournal(again, reread) || reread.size() != entries.size()) {
            std::abort();
        }
    }
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        units += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    std::u16string back;
    if (!DecodePercentEncodedUtf8(PercentEncodedUtf8(units), back) || back != units) {
        std::abort();
    }
    // A text read from Setup.ini is held as UTF-8 and shown as UTF-16 again.
    std::u16string shown;
    if (!Utf16OfUtf8(Utf8Of(units), shown) || shown != units) {
        std::abort();
    }
    return 0;
}
