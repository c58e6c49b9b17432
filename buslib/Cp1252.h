#pragma once

#include <optional>
#include <string>
#include <string_view>

// Windows-1252 is the text of the bus interface; the roster file and the trace are UTF-8.
namespace traxbus::cp1252 {

std::string toUtf8(std::string_view text);

// Empty when the text is not valid UTF-8 or holds a character that Windows-1252 lacks.
std::optional<std::string> fromUtf8(std::string_view text);

// Same, but a character that cannot be shown becomes '?'.
std::string fromUtf8Lossy(std::string_view text);

} // namespace traxbus::cp1252
