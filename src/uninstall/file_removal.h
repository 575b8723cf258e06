#pragma once
// The recorded files go all together or not at all: each is opened and
// marked for deletion first, held so that nothing else can take it, and
// only when every one is marked are they let go, which deletes them.

#include <windows.h>

#include <string>
#include <vector>

#include "ui/progress_window.h"

struct MarkedFile {
    HANDLE handle;
    std::wstring path;
    DWORD attributes;  // as they were, for a file whose read-only mark was reset
    bool marked;       // the platform holds the deletion for the close
};

enum class MarkOutcome { Marked, Refused, Cancelled };

// Marks each file of `paths` for deletion, in order, passing over a path
// where no file is (or a folder is), and tells `progress` of each. When one
// can't be deleted now (a program holds it open without leave to delete it,
// it is a running program, or the user may not delete it), every mark is
// taken back and its path goes to `refused`; when the user cancels, every
// mark is taken back too.
MarkOutcome MarkForDeletion(const std::vector<std::wstring>& paths, std::vector<MarkedFile>& marked,
                            ProgressWindow& progress, std::wstring& refused);

// Whether the file could be deleted now, asked by marking it and taking the
// mark back at once; true where no file is.
bool CanBeDeletedNow(const std::wstring& path);

// Deletes one file by name, a read-only one too; false when it is still
// there afterwards.
bool DeleteNow(const std::wstring& path);

// Takes every mark back: the files stay as they were, attributes included.
void UnmarkAll(std::vector<MarkedFile>& marked);

// Lets go of the files in the order they were marked, which deletes them;
// the first path that is still a file afterwards, or empty.
std::wstring DeleteMarked(std::vector<MarkedFile>& marked, ProgressWindow& progress);
