// Access keys: the character after a lone "&" in a caption is the control's underlined letter
// ("&&" stands for "&" itself). A key matches it in either case, whatever the locale.
#pragma once

#include <string_view>

bool IsAccel(char16_t key, std::u16string_view caption);
