// Putting the list of a run on the clipboard as 8-bit and UTF-16 text at once.
#pragma once

#include <string>

namespace Tarnwick1 {

// Clears the clipboard and puts the (UTF-8) text on it in both text formats.
void PutTextOnClipboard(const std::string& text);

}  // namespace Tarnwick1
