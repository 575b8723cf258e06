#pragma once
// Whether a file could be deleted now, asked without deleting it.

#include <string>

// False when something would keep the deletion from going through: a
// program holds the file open without leave to delete it, the file is a
// running program, or the user may not delete it. True for a path where no
// file is (nothing to delete) and for a read-only file (its mark is reset
// before the deletion).
bool CanBeDeletedNow(const std::wstring& path);
