// CMYK bytes to colour for whole pictures. The manager's conversion is a polynomial of
// degree one in each ink, so for one black value it is eight terms of cyan, magenta and
// yellow; those terms are found once per picture for each of the 256 black values (from the
// manager's own colours at the corners of the ink cube), and a pixel then costs a few
// multiplications instead of a call that evaluates the whole polynomial. Photographs with few
// repeated colours spent most of their time there.
#pragma once

#include <array>
#include <cstdint>

#include "platform/gdi/gdi_types.h"

class TPDFColorManager;

class TCMYKTerms {
 public:
  // False when the manager does not say its conversion is of that form.
  bool Prepare(const TPDFColorManager& manager);
  bool Ready() const { return ready_; }
  // The colour of ink bytes 0..255 (after the image's tables), halves rounded to even.
  COLORREF Color(uint8_t c, uint8_t m, uint8_t y, uint8_t k) const;

 private:
  // Per channel: 1, c, m, y, cm, cy, my, cmy.
  using Terms = std::array<std::array<double, 8>, 3>;
  std::array<Terms, 256> ofBlack_{};
  std::array<double, 256> unit_{};
  bool ready_ = false;
};
