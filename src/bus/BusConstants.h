#pragma once

#include <cstdint>

// Command numbers, parameter numbers and the status values the program gives
// a meaning of its own. The one place these numbers are written down.
namespace bus {

namespace cmd {
constexpr int16_t ReadIdentity = 12;
constexpr int16_t SetAddress = 13;
constexpr int16_t QueryAddress = 14;
constexpr int16_t ReadAlarmMin = 22;
constexpr int16_t ReadAlarmMax = 23;
constexpr int16_t ReadOnPoint = 42;
constexpr int16_t WriteOnPoint = 43;
constexpr int16_t ReadOffPoint = 44;
constexpr int16_t WriteOffPoint = 45;
constexpr int16_t ReadDelay = 50;
constexpr int16_t WriteDelay = 51;
constexpr int16_t ReadPreferredState = 52;
constexpr int16_t WritePreferredState = 53;
constexpr int16_t WriteAlarmMin = 102;
constexpr int16_t WriteAlarmMax = 103;
constexpr int16_t WriteOut2DelayAlt = 104;
constexpr int16_t ReadRangeLow = 176;
constexpr int16_t ReadRangeHigh = 177;
constexpr int16_t WriteDisplayLow = 192;
constexpr int16_t WriteDisplayHigh = 193;
constexpr int16_t WriteUnit = 194;
constexpr int16_t WriteDecimals = 195;
constexpr int16_t ReadDisplayLow = 200;
constexpr int16_t ReadDisplayHigh = 201;
constexpr int16_t ReadUnit = 202;
constexpr int16_t ReadDecimals = 204;
constexpr int16_t InputKindChange1 = 215;
constexpr int16_t InputKindChange2 = 217;
constexpr int16_t Restart = 241;
constexpr int16_t Parameter = 248;
constexpr int16_t ReadVersion = 254;
} // namespace cmd

// Name commands of TBTransmitString.
namespace namecmd {
constexpr int16_t Read = 1;
constexpr int16_t Write = 2;
} // namespace namecmd

constexpr int16_t kBroadcastAddress = 255;
constexpr int16_t kHighestAddress = 239; // addresses an instrument can take: 0 to 239
constexpr int kNameLength = 16;          // characters (bytes) of an instrument's name
constexpr int16_t kNameReadCapacity = 254;
constexpr int32_t kBaudRate = 4800;
constexpr int32_t kAddressQueryRead = static_cast<int32_t>(0xF7FFFFFF);  // readout, extended words, tools
constexpr int32_t kAddressQueryWrite = static_cast<int32_t>(0xFFFFFFFF); // programming
constexpr double kWriteOffset = 256.0; // command 248 writes parameter p with value 256 + p

// Polls after a restart (command 241): the DVN 20 TB takes longer after a sensor write.
constexpr int kPollLimit = 3;
constexpr int kPollLimitDvn20Sensor = 10;

// Firmware from this version on knows the feature and option words and commands 52/53;
// older instruments are the "Version 1.6" generation.
constexpr double kFirstCurrentFirmware = 23.0;

// Bits of the hardware feature word (parameter 38) and the option word (39).
namespace feature {
constexpr int32_t CurrentOutput = 0x0004;
constexpr int32_t VoltageOutput = 0x8000;
constexpr int32_t RelayOnly = 0x0020;
constexpr int32_t PidOption = 0x0020; // in the option word
// Bits the selected model adds to the expected feature word, besides the two outputs above.
constexpr uint16_t ExpectedPid = 0x0010;
constexpr uint16_t ExpectedContinuous = 0x0020;
} // namespace feature

// Parameter numbers of command 248.
namespace param {
constexpr int InputKind = 0;
constexpr int Sensor = 1;
constexpr int Unit = 2; // DVN 20 TB
constexpr int RangeLow = 3;
constexpr int RangeHigh = 4;
constexpr int Decimals = 5;     // DVN 20 TB
constexpr int DisplayLow = 6;   // DVN 20 TB
constexpr int DisplayHigh = 7;  // DVN 20 TB
constexpr int Limit = 8;
constexpr int Filter = 9;
constexpr int Prescaler = 10;
constexpr int OutputFunction = 11;
constexpr int AnalogLow = 12;
constexpr int AnalogHigh = 13;
constexpr int AnalogFailSafe = 14;
constexpr int PidIntegral = 15;    // DVN 20 TB: output 1 switch-on point
constexpr int PidDerivative = 16;  // DVN 20 TB: output 1 switch-off point
constexpr int PidCycle = 17;       // DVN 20 TB: output 1 delay
constexpr int SwitchFunction1 = 18;
constexpr int Out1Preferred = 19;  // also the controller function on PID models
constexpr int Out2On = 20;         // DVN 20 TB
constexpr int Out2Off = 21;        // DVN 20 TB
constexpr int PidThreshold = 22;   // DVN 20 TB: output 2 delay
constexpr int SwitchFunction2 = 23;
constexpr int Out2Preferred = 24;  // also the running time on PID models
constexpr int CurrentRange = 25;
constexpr int AnalogFilter = 26;
constexpr int AlarmDelay = 27;
constexpr int ExtendedAlarm = 28;
constexpr int ExtendedGeneral = 35;
constexpr int Features = 38;
constexpr int Options = 39;
constexpr int TakeOver = 122;      // DVN 20 TB, written with 253 at the end of programming
} // namespace param

// The same parameter numbers under the meaning they have in readout and programming.
namespace param {
constexpr int ControllerFunction = 19; // PID models
constexpr int PidRunningTime = 24;     // PID models, three-point step
constexpr int TakeOverValue = 253;     // written into TakeOver
// The DVN 20 TB keeps both switching outputs in its own parameters.
namespace dvn20 {
constexpr int Cleared1 = 14; // both written 0 before programming
constexpr int Cleared2 = 13;
constexpr int Out1On = 15;
constexpr int Out1Off = 16;
constexpr int Out1Delay = 17;
constexpr int Out1Mode = 18;
constexpr int Out1Preferred = 19;
constexpr int Out2On = 20;
constexpr int Out2Off = 21;
constexpr int Out2Delay = 22;
constexpr int Out2Mode = 23;
constexpr int Out2Preferred = 24;
} // namespace dvn20
} // namespace param

// Statuses with a meaning in the program, as one table: the constants below and the
// list the handbook explains are both made from it.
//   PollPending          the restart poll got no answer yet
//   NotBound             no library loaded: nothing was sent
//   Declined             the user said no before the first write: nothing was sent
//   Incomplete           a list of the window had no selection: nothing was sent
#define TRK_PROGRAM_STATUSES(X) \
    X(PollPending, -1)          \
    X(UnknownParameter, -38)    \
    X(Dvn20DelayWrite, -44)     \
    X(NoModel, -123)            \
    X(DeviceMismatch, -9256)    \
    X(NotBound, -9990)          \
    X(Declined, -9996)          \
    X(Incomplete, -9997)        \
    X(ExtendedWriteFailed, -9998) \
    X(InputNotSupported, -9999)

namespace status {
#define TRK_STATUS_CONSTANT(name, code) constexpr int16_t name = code;
TRK_PROGRAM_STATUSES(TRK_STATUS_CONSTANT)
#undef TRK_STATUS_CONSTANT

struct Named {
    int16_t code;
    const char* name;
};
// Every status of the table with its name.
inline constexpr Named kAll[] = {
#define TRK_STATUS_ENTRY(name, code) {code, #name},
    TRK_PROGRAM_STATUSES(TRK_STATUS_ENTRY)
#undef TRK_STATUS_ENTRY
};
} // namespace status

} // namespace bus
