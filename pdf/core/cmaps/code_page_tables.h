// CID-to-Unicode tables of the Adobe character collections of the four CJK code pages:
// 932 Adobe-Japan1, 936 Adobe-GB1, 949 Adobe-Korea1, 950 Adobe-CNS1.
#pragma once

#include "pdf/core/word_pair_list.h"

// The compressed resource of code page cp is 11000 + cp: after inflating, one 16-bit
// little-endian Unicode value per CID from CID 0 (U+FFFD) on, 0 where the collection has none.
inline constexpr int kCodePageTableResourceBase = 11000;

// The (CID, Unicode) pairs of code page 932, 936, 949 or 950, sorted by CID; any other code
// page gets the 932 table. Built on first use and kept for the life of the program: callers
// must not free it. Raises EResNotFound when the program lacks the resource.
TZRXWordPairList* LoadCodePageTable(int codePage);
