#pragma once
// The patch's own ground: what an install writes, and all that a repair or an
// uninstall may touch. The target folder and everything in it; a Start-menu
// group, which is a folder right under a Programs folder, and the files right
// in it; the patch's own Apps entry. A journal or a record is a file that
// anyone with the rights may have written: a path of it outside the ground
// is never acted on.

#include <string>
#include <vector>

struct PatchGround {
    std::wstring targetKey;  // the target folder, as PathKey gives it
    // Read only for a path outside the target folder, the registry first:
    // the shell is asked only for a path that the registry's folders don't
    // take, since loading it costs more than the rest of a small uninstall.
    bool registryRead = false;
    std::vector<std::wstring> registeredProgramsKeys;
    bool shellAsked = false;
    std::vector<std::wstring> programsKeys;  // the user's and every user's Programs folder
    // The Programs folders of other users, for a group that another
    // administrator's install made: the folder of the profiles, and where a
    // profile keeps its Programs folder ("\APPDATA\...\PROGRAMS"). Empty
    // when the shell can't say.
    std::wstring profilesKey;
    std::wstring programsBelowProfile;
};

// The ground of the patch in `targetFolder`.
PatchGround GroundOf(const std::wstring& targetFolder);

// Whether `path` lies in `folder`, at any depth, and is not the folder
// itself; both in any spelling.
bool LiesInside(const std::wstring& path, const std::wstring& folder);

// Whether `folder` can be a Start-menu group: right under a Programs folder.
bool IsGroupFolder(PatchGround& ground, const std::wstring& folder);

// Whether a repair or an uninstall may delete the file `path`, or put one
// there: in the target folder, or right in a group.
bool IsGroundFile(PatchGround& ground, const std::wstring& path);

// Whether they may remove `folder` when it is empty, or give it back its
// attributes: the target folder, a folder in it, or a group.
bool IsGroundFolder(PatchGround& ground, const std::wstring& folder);
