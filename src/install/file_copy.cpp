#include "install/file_copy.h"

#include <cstdint>
#include <cstdio>

namespace {

// The size of an open stream, which is left at its start; -1 when it can't be
// taken. 64-bit positions: a 32-bit tell cuts or negates sizes of 2 GiB and more.
std::int64_t StreamSize(std::FILE* file) {
    if (_fseeki64(file, 0, SEEK_END) != 0) {
        return -1;
    }
    const std::int64_t size = _ftelli64(file);
    if (size < 0 || _fseeki64(file, 0, SEEK_SET) != 0) {
        return -1;
    }
    return size;
}

// A source that ends early or a destination that takes less than it is given
// (a full disk) fails the copy: install must not go on over a truncated file.
CopyResult CopyContents(std::FILE* from, std::FILE* to, CopyBuffer& buffer, std::int64_t& size,
                        ProgressWindow& progress) {
    size = StreamSize(from);
    std::int64_t remaining = size;
    if (remaining < 0) {
        return CopyResult::Failed;
    }
    while (remaining != 0) {
        const std::size_t chunk = remaining > static_cast<std::int64_t>(sizeof(buffer.bytes))
                                      ? sizeof(buffer.bytes)
                                      : static_cast<std::size_t>(remaining);
        if (std::fread(buffer.bytes, 1, chunk, from) != chunk || std::fwrite(buffer.bytes, 1, chunk, to) != chunk) {
            return CopyResult::Failed;
        }
        remaining -= static_cast<std::int64_t>(chunk);
        // The copy waits while the user is asked.
        if (AdvanceProgress(progress, chunk) && ConfirmCancel(progress)) {
            return CopyResult::Cancelled;
        }
    }
    return CopyResult::Copied;
}

}  // namespace

CopyResult CopyFileThroughBuffer(const std::wstring& source, const std::wstring& destination, CopyBuffer& buffer,
                                 std::uint64_t& copiedBytes, ProgressWindow& progress) {
    // Byte streams: the files are copied unchanged, without newline translation.
    std::FILE* from = _wfopen(source.c_str(), L"rb");
    if (from == nullptr) {
        return CopyResult::Failed;
    }
    std::FILE* to = _wfopen(destination.c_str(), L"wb");
    if (to == nullptr) {
        (void)std::fclose(from);
        return CopyResult::Failed;
    }
    std::int64_t size = 0;
    const CopyResult result = CopyContents(from, to, buffer, size, progress);
    // Only read from: its close can't lose data.
    (void)std::fclose(from);
    // What the stream still holds is written by a flush of its own: Wine's
    // fclose reports success even when its final write fails on a full disk.
    const bool flushed = std::fflush(to) == 0;
    const bool closed = std::fclose(to) == 0;
    if (result == CopyResult::Copied && flushed && closed) {
        copiedBytes += static_cast<std::uint64_t>(size);
        return CopyResult::Copied;
    }
    // The caller never records a failed copy, so its roll-back wouldn't
    // remove the partial file.
    (void)_wremove(destination.c_str());
    return result == CopyResult::Cancelled ? result : CopyResult::Failed;
}
