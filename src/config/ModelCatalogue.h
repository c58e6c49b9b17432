#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// The twelve instrument models and everything that depends on the model.
// Code asks this table; it does not switch on model names.

enum class ModelId {
    DVN20TB,
    DVN500,
    DVN500XAO,
    DVN500XAOV,
    TRK520,
    TRK520XAO,
    TRK520XAOV,
    TRK520PID,
    TRK520PIDXAO,
    TRK520PIDXAOV,
    TRK520PID_StetigA,
    TRK520PID_StetigV,
};
constexpr int kModelCount = 12;

enum class OutputList { None, Full, Short, Continuous };

struct ModelEntry {
    ModelId id;
    const char* menuItem;      // component name of the "&Typ" menu item
    const char* designCaption; // caption before start-up
    const char* caption;       // caption set at start-up
    const char* designation;   // text of `lMainCaption`
    int32_t code;              // model code stored as `GeraeteTyp`
    int32_t family;            // expected family code of the identity word
    bool hasAnalogOutput;
    bool hasCurrentOutput;
    bool hasVoltageOutput;
    bool hasPidController;
    bool hasContinuousOutput;
    int inputKindCount; // 9 on the DVN 20 TB (no flow input), else 10
    OutputList outputList;
    const char* analogCaption;    // caption of `gpAnalogOut1`, empty when none
    const char* daHighLabel;      // `gpAnalogOut1DAWhi`, empty when not shown
    const char* daLowLabel;       // `gpAnalogOut1DAWlo`
    const char* failSafeItems[2]; // items of `cbAnalogOut1Vorzugslage`
    int fileModelCode;            // model code line of the d20 file, 0 for none
    const char* readProgress;     // status text while reading
    const char* writeProgress;    // status text while programming
};

constexpr int32_t kFamilyDvn500 = 0x07600000;
constexpr int32_t kFamilyTrk520 = 0x07800000;
constexpr int32_t kFamilyDvn20 = 0x07900000;
constexpr int32_t kFamilyMask = 0x0FF00000;

namespace catalogue {

const ModelEntry& entry(ModelId id);
const ModelEntry* begin();
const ModelEntry* end();

// Model selected at start-up for a stored `GeraeteTyp`: codes 1-3 and 5-10
// select their model, anything else the DVN 20 TB.
ModelId modelForStoredCode(int32_t code);
// Model selected by the model code line of a d20 file; nullptr for code 3
// (no model), the DVN 20 TB for codes outside the table.
const ModelEntry* modelForFileCode(int code);
const ModelEntry* byMenuItem(const QString& name);

QStringList inputKinds(int count = 10);
QStringList outputItems(OutputList list);
// Output function code of a list position (the short list's third item is code 4).
int outputCode(OutputList list, int position);
// List position of an output function code, -1 when the list lacks it.
int outputPosition(OutputList list, int code);

// Bits of the expected feature word built before the identification.
uint16_t expectedFeatures(const ModelEntry& m);

} // namespace catalogue
