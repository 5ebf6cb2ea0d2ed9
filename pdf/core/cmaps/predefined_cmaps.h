// The predefined CMaps the program carries: 165 names, the text of the name at 1-based
// position i being the compressed resource 11000 + i.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/core/cmaps/cmap.h"

inline constexpr int kPredefinedCMapCount = 165;
inline constexpr int kPredefinedCMapResourceBase = 11000;
// How many CMaps a usecmap chain may hold, the first included.
inline constexpr int kMaxUseCMapDepth = 8;

// Index i holds the name at position i + 1.
extern const std::array<std::string_view, kPredefinedCMapCount> PredefinedCMapNames;

// The 1-based position of a name (exact, case-sensitive); 0 when it is not predefined.
int PredefinedCMapPosition(std::string_view name);
// The inflated text of the CMap at a 1-based position; empty out of range. Raises EResNotFound
// when the program lacks the resource.
std::string LoadPredefinedCMapText(int position);
// The predefined CMap of that name, parsed, with its Name set; null when the name is not
// predefined.
std::unique_ptr<TOrvanePDFLibraryCMap> LoadPredefinedCMap(std::string_view name);

// The predefined CMap of that name followed by the CMaps its usecmap names, each the parent of
// the one before (ParentIndex is the parent's position in the result). The walk stops at a
// name that is not predefined, at a name already in the chain (a cycle) and after
// kMaxUseCMapDepth CMaps. Empty when the first name is not predefined.
std::vector<std::unique_ptr<TOrvanePDFLibraryCMap>> LoadPredefinedCMapChain(std::string_view name);
// The first CMap of the chain that maps the code gives the answer; -1 when none does.
int MapCodeThroughChain(const std::vector<std::unique_ptr<TOrvanePDFLibraryCMap>>& chain, uint32_t code);
