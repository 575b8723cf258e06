#pragma once
// Copy of one file through the install's one buffer.

#include <string>

constexpr unsigned kCopyBufferSize = 65536;

// Copies `source` to `destination` in chunks of at most kCopyBufferSize bytes
// through `buffer`. False when either file can't be opened or the copy is not
// complete (short read, failed write or close); a partial destination is removed.
bool CopyFileThroughBuffer(const std::string& source, const std::string& destination, char* buffer);
