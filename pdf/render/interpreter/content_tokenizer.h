// The content tokenizer: literal strings with their parentheses, hexadecimal strings (and
// the pieces of "<<" dictionaries) up to the next ">", the one-byte tokens "[", "]" and "'",
// and regular tokens up to white space or one of "/<[](%". A comment ("%" to the end of its
// line) outside a string is skipped like white space.
#pragma once

#include <cstddef>
#include <string_view>

// The token at position (0-based), which moves past it; empty at the end of the text.
std::string_view NextContentToken(std::string_view text, size_t& position);
