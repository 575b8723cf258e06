#pragma once
// The Unix machine under Wine, for a failure that only it can provoke: a
// full disk (a small tmpfs).
// Wine starts a Unix program without giving a handle to it, so its status is
// unknown: each operation waits for the program's effect instead.

#include <cstdint>
#include <string>

namespace unixside {

// The Unix path of a Windows path; empty when not under Wine.
std::string UnixPathOf(const std::string& windowsPath);

// A tmpfs of a given size mounted over a folder while the object lives.
class TmpfsMount {
public:
    TmpfsMount() = default;
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    // Mounts over the (Windows) folder; false when that isn't possible here,
    // for instance without root rights.
    bool Mount(const std::string& windowsFolder, std::uint64_t sizeBytes);

private:
    std::string windowsFolder_;
    std::string unixFolder_;
    std::uint64_t sizeBytes_ = 0;
};

}  // namespace unixside
