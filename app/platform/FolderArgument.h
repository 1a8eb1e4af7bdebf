#pragma once
// Where the first command-line argument points the folder category on this machine: the
// pure rules of FolderPath.h, with the working directory and the file system asked once.

#include "app/platform/FolderPath.h"

#include <string_view>

namespace orlenth::platform {

// The folder to list and the file to open first for `argument` (bytes as given):
// - a relative argument is taken from the working directory (the shell's, when $PWD
//   still names it, so a folder reached through a link keeps its name);
// - an argument naming a folder, with or without a trailing '/', lists that folder;
// - anything else lists the folder part (the working directory for a bare name) and
//   names the rest as the file, whatever it is called and whether or not it exists;
// - a folder whose last name is "." or ".." is replaced by the folder it resolves to, so
//   that its tab has a name.
// An empty argument, a folder part that is no existing folder, or a relative argument
// when the working directory is gone, gives an empty folder.
// Never throws; opens nothing.
FolderTarget LocateFolderArgument(std::string_view argument);

} // namespace orlenth::platform
