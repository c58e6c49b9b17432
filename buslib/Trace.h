#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string_view>

namespace traxbus {

// Bus monitor: with TRAXBUS_TRACE=<file>, every entry-point call appends one JSON line
// {"fn", "in", "status", "out"}. Each line is flushed, so a crash loses nothing.
class Trace {
  public:
    static bool enabled();
    static void record(std::string_view fn, const nlohmann::ordered_json& in, long status,
                       const nlohmann::ordered_json& out) noexcept;

    // Interface text (Windows-1252) as a JSON string.
    static nlohmann::ordered_json text(const char* bytes, std::size_t maxLength = SIZE_MAX);
};

} // namespace traxbus
