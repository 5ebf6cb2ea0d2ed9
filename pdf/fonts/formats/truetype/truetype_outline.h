// Recording a TrueType glyph's outline as a shape: quadratic contours with implied on-curve
// points between consecutive off-curve ones, and composite glyphs assembled from their parts
// under each part's transformation.
#pragma once

#include <cstdint>

#include "pdf/core/matrix.h"

class TPDFTrueTypeParser;
class TPDFGenericShape;

// Bounds on one glyph's assembly: nested composites and the work they may cause. A composite
// that refers to itself, directly or through others, stops at the depth limit; a glyph past the
// budgets keeps what was recorded until then. Work counts the points (flags) and parts of every
// glyph read for the assembly, so that parts of many parts cannot multiply the reading.
inline constexpr int kMaxCompositeDepth = 16;
inline constexpr int kMaxCompositeParts = 1024;
inline constexpr int64_t kMaxRecordedWork = int64_t(1) << 16;

// Records glyph `index` of the parser's font into the shape, every point mapped through
// `matrix` (font units to the shape's units). A glyph that cannot be read records nothing.
// True when anything was recorded.
bool RecordTrueTypeGlyph(const TPDFTrueTypeParser& parser, int index, const TPDFMatrix& matrix,
                         TPDFGenericShape& shape);
