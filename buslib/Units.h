#pragma once

#include <cstdint>

namespace traxbus {

constexpr int16_t kUnitCodeCount = 200;

// Unit text (Windows-1252, at most 9 bytes) for a code 0..199; " " for codes without a unit,
// nullptr outside the range.
const char* unitText(int16_t code);

} // namespace traxbus
