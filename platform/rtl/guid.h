// 16 random bytes in place of a new GUID.
#pragma once

#include <array>
#include <cstdint>

std::array<uint8_t, 16> CreateGuidBytes();
