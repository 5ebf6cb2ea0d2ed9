// Data compiled into the program, looked up by number (the library's RCDATA) or by name.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Raises EResNotFound when the resource does not exist.
std::span<const uint8_t> FindResourceData(int id);
std::span<const uint8_t> FindResourceData(std::string_view name);
bool HasResource(int id);
bool HasResource(std::string_view name);
