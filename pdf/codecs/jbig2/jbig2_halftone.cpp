// placeholder
#include "pdf/codecs/jbig2/jbig2_segments.h"
namespace jbig2 {
void TPatternDictionarySegment::ReadSegment() {}
void THalftoneRegionSegment::ReadSegment() {}
}
