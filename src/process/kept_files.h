#pragma once
// The files that an install replaced and that no earlier install of the
// folder had written (the game's own, or the user's) are kept, so that the
// uninstall can give the folder back as it was before the patch: each under
// its own relative path, in a hidden folder of the target folder that no
// patch file and no user uses.

#include <cstdint>
#include <string>

// Where the install into `targetFolder` keeps them.
std::wstring KeptPlaceOf(const std::wstring& targetFolder);

// The bytes of every file kept for `targetFolder`; they count as the patch's.
std::uint64_t KeptBytes(const std::wstring& targetFolder);

// Puts each kept file back under its name in `targetFolder`, where nothing
// else lies now, with its bytes and attributes, and removes the kept place
// once it is empty. A file that can't go back (another lies in its place)
// stays kept.
void PutKeptFilesBack(const std::wstring& targetFolder);
