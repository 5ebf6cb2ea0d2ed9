#include "platform/rtl/guid.h"

#include <sys/random.h>

#include <random>

std::array<uint8_t, 16> CreateGuidBytes() {
  std::array<uint8_t, 16> g{};
  size_t got = 0;
  while (got < g.size()) {
    const ssize_t n = ::getrandom(g.data() + got, g.size() - got, 0);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  if (got < g.size()) {
    std::random_device rd;
    for (auto& b : g) b = static_cast<uint8_t>(rd());
  }
  return g;
}
