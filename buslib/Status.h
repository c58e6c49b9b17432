#pragma once

#include <cstdint>

// Statuses of the library. They stay clear of the program's own codes (-1, -123, -9256, -9998,
// -9999) and fit the 8-bit result of TBTransmitString.
namespace traxbus::status {

constexpr int16_t Ok = 0;
constexpr int16_t NoAnswer = -2;
constexpr int16_t PortNotOpen = -3;
constexpr int16_t PortMissing = -4;
constexpr int16_t BadBaudRate = -5;
constexpr int16_t BadMode = -6;
constexpr int16_t Collision = -7;
constexpr int16_t UnknownCommand = -8;
constexpr int16_t NameTooLong = -9;
constexpr int16_t NameUnsupported = -10;
constexpr int16_t BufferTooSmall = -11;
constexpr int16_t NullPointer = -12;
constexpr int16_t BadOperand = -13;
constexpr int16_t BadRoster = -14;
constexpr int16_t WriteFailed = -15;
constexpr int16_t Internal = -16;
constexpr int16_t UnknownType = -20;
constexpr int16_t UnitOutOfRange = -21;
constexpr int16_t UnknownParameter = -38;
constexpr int16_t UseCommand104 = -44;

} // namespace traxbus::status
