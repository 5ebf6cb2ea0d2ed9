// The built-in dingbats face: a complete TrueType font with the character layout of
// ZapfDingbats, which the font engines use for an unembedded "ZapfDingbats".
#pragma once

#include <string>

inline constexpr int kDingbatsFontResource = 15903;

// The inflated font. The compressed bytes are read from the resource once and kept; each call
// inflates them again. Raises EResNotFound when the program carries no such resource.
void LoadDingbatsFont(std::string& data);
// The same font, under the name the font engines call it by.
std::string LoadGlyphList();
