#pragma once

#include <QString>

#include <array>
#include <cstdint>

struct MainWindowModel;
struct MenuItem;

// The interface converters of the "&Wandler" menu.
struct ConverterEntry {
    int16_t code;
    const char* clickText;   // status bar text after a click
    const char* restoreText; // status bar text when restored from the settings
};

namespace converters {
constexpr int kCount = 4;
const ConverterEntry& entry(int menuIndex);
// Menu index of a stored code; -1 when the code is not in the table.
int indexOf(int16_t code);
constexpr int16_t kFallbackCode = 6;
// The "&Wandler" items in the order of the table.
std::array<MenuItem*, kCount> menuItems(MainWindowModel& m);
} // namespace converters
