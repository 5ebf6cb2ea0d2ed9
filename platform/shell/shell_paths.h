// Names of files as the shell shows them and the long form of paths.
#pragma once

#include <string>

// The name the file manager shows for a file or folder: its last path component (a trailing
// "/" left out). False, with `name` untouched, when the path does not exist.
bool ShellDisplayName(const std::string& path, std::string& name);
// The display name, or the path itself when there is none.
std::string DisplayName(const std::string& path);
// The canonical form of an existing path (links and "." and ".." resolved, as realpath gives
// it), keeping a trailing "/" the path had; empty when the path does not exist.
std::string LongPath(const std::string& path);
