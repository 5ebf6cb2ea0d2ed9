// PackBits, the run-length scheme of TIFF (and of the Macintosh): a count byte n, then n + 1
// literal bytes (n 0 to 127), or one byte repeated 257 - n times (n 129 to 255). The count byte
// 128 is a no-op, where PDF's RunLengthDecode reads it as the end of the data.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Re-packs one strip (or tile) so that RunLengthDecode reads it as PackBits meant it: no-op
// bytes are dropped, the decoded length is made exactly Expected bytes (runs beyond it are cut,
// a shortfall is made up with bytes 255), and no end-of-data byte is written, so that strips
// can be joined; the caller ends the whole with one byte 128. The bytes are appended to Out,
// which is handed to Full (to take them away) whenever it holds Chunk bytes or more: a strip
// of any size is re-packed a part at a time.
void PackBitsToRunLength(std::string_view Input, int64_t Expected, std::string& Out, size_t Chunk,
                         const std::function<void(std::string&)>& Full);
