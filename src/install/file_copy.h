#pragma once
// Copy of one file through the install's one buffer.

#include <cstdint>
#include <string>

#include "ui/progress_window.h"

constexpr unsigned kCopyBufferSize = 65536;

// The one copy buffer, allocated once per install and used for every file.
struct CopyBuffer {
    char bytes[kCopyBufferSize];
};

enum class CopyResult { Copied, Failed, Cancelled };

// Copies `source` to `destination` in chunks of at most kCopyBufferSize bytes
// through `buffer`, counting down from the size taken once at the start, and
// tells `progress` of each chunk. Failed when either file can't be opened,
// the size can't be taken, or the copy is not complete (short read, failed
// write or close); Cancelled when the user, asked after pressing Cancel,
// says yes. A destination that was opened is then removed, so no truncated
// copy is left behind. `copiedBytes` grows by the size of a finished copy.
CopyResult CopyFileThroughBuffer(const std::wstring& source, const std::wstring& destination, CopyBuffer& buffer,
                                 std::uint64_t& copiedBytes, ProgressWindow& progress);
