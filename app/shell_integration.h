// The application's ties to the desktop: display names, long paths, the folder browser and
// the "send to" entry that starts the program with a chosen image.
#pragma once

#include <string>

namespace Tarnwick1 {

// The long form of an existing path (paths here have no short forms: the path itself); empty
// when the path does not exist.
std::string LongPath(const std::string& path);
// The name the desktop shows for a file (its name without folder); the path itself when the
// file cannot be found.
std::string DisplayName(const std::string& path);

}  // namespace Tarnwick1
