// Names of the files Korvath keeps beside its executable, made whole once at
// start-up: a file picker moves the process's current folder while the
// monitor timer keeps running, so no file is ever named relative to it.
#pragma once

#include <string>
#include <string_view>

namespace korvath {

// A drive ("C:"), a root or a network path ("\\server"), or a Linux root.
bool IsAbsolutePath(std::string_view path);

// `name` as written when absolute or when the folder is unknown (empty);
// otherwise `name` inside `folder`, with one separator between them (a
// backslash when the folder uses backslashes).
std::string PathInFolder(std::string_view name, std::string_view folder);

}  // namespace korvath
