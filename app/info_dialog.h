// The application's restyled message dialog: the framework's information dialog with the
// "MS Sans Serif" 8 font on white, its text in the caller's colour, a fifth wider.
#pragma once

#include <string>

#include "app/sorter_view.h"

namespace Tarnwick1 {

inline constexpr TColor kInfoRed = 0x0000FF;    // problems with the master file
inline constexpr TColor kInfoBlue = 0xFF0000;   // the question before a run
inline constexpr TColor kInfoBlack = 0x000000;  // the "send to" notices

// Shown on the window; in batch mode (or without a window) the text goes to standard error
// and the answer is Ok, since nobody is there to answer.
TInfoAnswer ShowInfoDialog(const std::string& text, TInfoButtons buttons, TColor colour);

}  // namespace Tarnwick1
