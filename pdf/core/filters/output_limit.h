// The ceiling on what one decoding stage may produce.
//
// Stream data comes from files we do not trust: a few kilobytes of Flate or LZW data can
// expand to gigabytes. Every decoding stage takes a ceiling and stops there, keeping what it
// produced so far, the way it treats damaged data.
#pragma once

#include <cstdint>

// 512 MiB: more than any page image that the image decoder accepts in practice (a 2^28-pixel
// grey image at 16 bits, or an RGB image of about 179 million pixels), small enough that a
// hostile stream cannot exhaust memory. Callers that know a tighter bound pass it.
inline constexpr int64_t kDefaultFilterOutputLimit = int64_t{1} << 29;
