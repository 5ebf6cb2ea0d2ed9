#include "pdf/content/metafile/metafile_rop.h"

#include <cstddef>

namespace {

uint8_t Evaluate(int index, uint8_t p, uint8_t s, uint8_t d) {
  uint8_t r = 0;
  for (int b = 0; b < 8; ++b) {
    const int k = ((p >> b) & 1) * 4 + ((s >> b) & 1) * 2 + ((d >> b) & 1);
    r |= uint8_t(((index >> k) & 1) << b);
  }
  return r;
}

}  // namespace

bool TRopEvaluator::MixesWithDestination() const {
  static constexpr uint8_t kMixing[] = {34,  38,  42,  46,  98,  102, 106, 110, 136, 137, 138, 139, 145, 152, 153, 154,
                                        155, 162, 166, 168, 169, 170, 171, 174, 184, 185, 186, 187, 226, 230, 234, 238};
  for (uint8_t i : kMixing)
    if (i == index_) return true;
  return false;
}

TRopEvaluator::TRopEvaluator(int index, uint32_t brush) : index_(index & 0xFF) {
  for (int c = 0; c < 3; ++c) {
    const uint8_t p = uint8_t(brush >> (8 * c));
    for (int s = 0; s < 256; ++s) {
      overBlack_[std::size_t(c)][std::size_t(s)] = Evaluate(index_, p, uint8_t(s), 0);
      overWhite_[std::size_t(c)][std::size_t(s)] = Evaluate(index_, p, uint8_t(s), 0xFF);
    }
  }
}

bool TRopEvaluator::Apply(uint32_t source, uint32_t& out) const {
  bool fixed = true, identity = true, andLike = true, orLike = true;
  uint32_t black = 0, white = 0;
  for (int c = 0; c < 3; ++c) {
    const uint8_t s = uint8_t(source >> (8 * c));
    const uint8_t a = overBlack_[std::size_t(c)][s], b = overWhite_[std::size_t(c)][s];
    fixed = fixed && a == b;
    identity = identity && a == 0 && b == 0xFF;
    andLike = andLike && b == s;
    orLike = orLike && a == s;
    black |= uint32_t(a) << (8 * c);
    white |= uint32_t(b) << (8 * c);
  }
  if (fixed) {
    out = black;
    return true;
  }
  if (identity) return false;
  // Depends on the destination: drawn as over the background that keeps the source.
  out = andLike || orLike ? (source & 0xFFFFFF) : white;
  return true;
}
