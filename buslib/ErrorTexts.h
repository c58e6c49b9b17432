#pragma once

#include <cstdint>
#include <string>

namespace traxbus {

// German text for a status, UTF-8. detail, when given, names what went wrong (file, entry).
// The text starts with a blank because the program puts it right after "(Fehler n)".
std::string errorText(int16_t status, const std::string& detail = {});

} // namespace traxbus
