#include "Trace.h"

#include "Cp1252.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace traxbus {

bool Trace::enabled() {
    const char* path = std::getenv("TRAXBUS_TRACE");
    return path && *path;
}

void Trace::record(std::string_view fn, const nlohmann::ordered_json& in, long status,
                   const nlohmann::ordered_json& out) noexcept {
    const char* path = std::getenv("TRAXBUS_TRACE");
    if (!path || !*path) return;
    try {
        nlohmann::ordered_json line;
        line["fn"] = fn;
        line["in"] = in.is_null() ? nlohmann::ordered_json::object() : in;
        line["status"] = status;
        line["out"] = out.is_null() ? nlohmann::ordered_json::object() : out;
        const std::string text =
            line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
        // Opened per line: the path may change between calls, and nothing stays open across a dlclose.
        if (std::FILE* file = std::fopen(path, "a")) {
            std::fwrite(text.data(), 1, text.size(), file);
            std::fflush(file);
            std::fclose(file);
        }
    } catch (...) {
        // The monitor must never break the call it watches.
    }
}

nlohmann::ordered_json Trace::text(const char* bytes, std::size_t maxLength) {
    if (!bytes) return nullptr;
    return cp1252::toUtf8(std::string_view(bytes, strnlen(bytes, maxLength)));
}

} // namespace traxbus
