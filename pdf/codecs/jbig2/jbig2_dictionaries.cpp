// placeholder
#include "pdf/codecs/jbig2/jbig2_segments.h"
namespace jbig2 {
void TSymbolDictionarySegment::ReadSegment() {}
void TTextRegionSegment::ReadSegment() {}
void TPatternDictionarySegment::ReadSegment() {}
void THalftoneRegionSegment::ReadSegment() {}
}
