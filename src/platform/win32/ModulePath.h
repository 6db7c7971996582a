// Paths of loaded modules: the executable's own folder is the only place
// Korvath looks for the libraries and files that travel with it.
#pragma once

#include <windows.h>

#include <string>

namespace korvath {

// Full path of a loaded module (nullptr: the executable), any length.
std::wstring ModuleFileName(HMODULE module);

// The folder part of a path, with its trailing backslash; empty without one.
std::wstring FolderOf(const std::wstring& path);

// The executable's folder, with its trailing backslash.
std::wstring ExecutableFolder();

}  // namespace korvath
