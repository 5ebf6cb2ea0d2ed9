// Widths a CID font takes from the program instead of its W array: the Japanese gothic that
// files name "HeiseiKakuGo-W5" without embedding it and often without widths of its own.
#pragma once

#include <string_view>

#include "pdf/fonts/cid_metrics.h"

// True for a CIDFontType0 base font (subset tag removed) that takes the built-in widths.
bool HasBuiltInCIDWidths(std::string_view subtype, std::string_view baseFont);
// Fills widths from the built-in table; Default is left as it is. CIDs the table gives no
// width keep none.
void LoadBuiltInCIDWidths(TCIDWidths& widths);
// The table's records: each the high byte of a CID and 256 big-endian 16-bit widths for the
// CIDs high * 256 + 0 ... 255, 0 meaning none. A short last record is ignored.
void ReadCIDWidthRecords(std::string_view records, TCIDWidths& widths);
