#include "Units.h"

#include <array>

namespace traxbus {

namespace {

// Windows-1252 bytes, in octal so a following letter cannot join the escape: \260 degree,
// \265 micro, \263 superscript three. Every text is unique,
// because the program finds a unit's code by looking its text up.
struct UnitEntry {
    int16_t code;
    const char* text;
};

constexpr UnitEntry kUnits[] = {
    {1, "\260C"},     {2, "\260F"}, {3, "K"},         {4, "%"},        {5, "V"},        {6, "mV"},
    {7, "A"},         {8, "mA"},    {9, "Ohm"},       {10, "bar"},     {11, "mbar"},    {12, "Pa"},
    {13, "kPa"},      {14, "hPa"},  {15, "MPa"},      {16, "psi"},     {17, "Hz"},      {18, "kHz"},
    {19, "1/min"},    {20, "m"},    {21, "mm"},       {22, "cm"},      {23, "km"},      {24, "m/s"},
    {25, "km/h"},     {26, "g"},    {27, "kg"},       {28, "t"},       {29, "N"},       {30, "kN"},
    {31, "Nm"},       {32, "W"},    {33, "kW"},       {34, "MW"},      {35, "Wh"},      {36, "kWh"},
    {37, "%rF"},      {38, "pH"},   {39, "\265S/cm"}, {40, "mS/cm"},   {41, "ppm"},     {42, "l"},
    {43, "m\263"},    {44, "s"},    {45, "min"},      {46, "h"},       {47, "U/min"},   {48, "Stk"},
    {49, "lx"},       {50, "dB"},   {51, "mg/l"},     {52, "\260"},    {53, "mm/s"},    {54, "g/l"},
    {55, "kg/m\263"}, {56, "VA"},   {57, "var"},      {58, "\265m"},   {59, "Imp"},     {60, "Nm\263"},
    {79, "l/s"},      {80, "l/h"},  {81, "l/min"},    {82, "m\263/s"}, {83, "m\263/h"}, {84, "m\263/min"},
    {85, "kg/h"},     {86, "t/h"},  {87, "g/s"},      {88, "l/d"},     {89, "m\263/d"}, {90, "gal/min"},
};

constexpr std::array<const char*, kUnitCodeCount> buildTable() {
    std::array<const char*, kUnitCodeCount> table{};
    for (auto& text : table)
        text = " ";
    for (const auto& entry : kUnits)
        table[entry.code] = entry.text;
    return table;
}

constexpr auto kTable = buildTable();

} // namespace

const char* unitText(int16_t code) {
    if (code < 0 || code >= kUnitCodeCount) return nullptr;
    return kTable[code];
}

} // namespace traxbus
