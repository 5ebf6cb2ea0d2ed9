#include "pdf/codecs/runlength/run_length.h"

#include <algorithm>

bool RunLengthDecode(std::string_view Input, std::string& Output, int64_t maxOutput) {
  Output.clear();
  const size_t limit = size_t(std::max<int64_t>(maxOutput, 0));
  // One input byte yields at most 128 output bytes: reserve what the data can reach, within
  // the ceiling, so a long run grows the string once.
  Output.reserve(std::min(limit, Input.size() < limit / 2 ? Input.size() * 2 : limit));
  size_t i = 0;
  const size_t n = Input.size();
  while (i < n) {
    const uint8_t length = uint8_t(Input[i++]);
    if (length == 128) break;
    if (length < 128) {
      const size_t count = std::min<size_t>(size_t(length) + 1, n - i);
      const size_t room = limit - Output.size();
      Output.append(Input.substr(i, std::min(count, room)));
      i += count;
      if (count > room) return false;
    } else {
      if (i >= n) break;
      const size_t count = 257 - size_t(length);
      const size_t room = limit - Output.size();
      Output.append(std::min(count, room), Input[i++]);
      if (count > room) return false;
    }
  }
  return true;
}
