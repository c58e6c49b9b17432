#include "config/ModelCatalogue.h"

namespace {

constexpr const char* kCurrentCaption = "Analog Ausgang (Strom 0...20mA)";
constexpr const char* kVoltageCaption = "Analog Ausgang (Spannung 0...10V)";

// clang-format off
const ModelEntry kModels[kModelCount] = {
    {ModelId::DVN20TB, "MainMenueSchnittstelleItemDVN20TB", "DVN20TB", "DVN 20 TB", "DVN 20 TB", 0, kFamilyDvn20,
     false, false, false, false, false, 9, OutputList::Full, "", "", "", {nullptr, nullptr}, 0,
     "Lese Daten von DVN20", "Sende Daten an DVN20TB"},
    {ModelId::DVN500, "MainMenueSchnittstelleItemDVN500", "DVN500", "DVN 500", "DVN 500", 1, kFamilyDvn500,
     false, false, false, false, false, 10, OutputList::None, "", "", "", {nullptr, nullptr}, 1,
     "Lese Daten von DVN500", "Sende Daten an DVN500"},
    {ModelId::DVN500XAO, "MainMenueSchnittstelleItemDVN500XAO", "DVN 500 - XAO 0(4)..20mA ", "DVN 500 - XAO020",
     "DVN 500 - XAO020", 2, kFamilyDvn500,
     true, true, false, false, false, 10, OutputList::None, kCurrentCaption, "DA High (20mA bei)",
     "DA Low (0(4)mA bei)", {"Off 0[mA]", "On >23[mA]"}, 2,
     "Lese Daten von DVN500 020/1", "Sende Daten an DVN500XAO"},
    {ModelId::DVN500XAOV, "MainMenueSchnittstelleItemDVN500XAOV", "DVN 500 - XAO 0...10V", "DVN 500 - XAO010",
     "DVN 500 - XAO010", 3, kFamilyDvn500,
     true, false, true, false, false, 10, OutputList::None, kVoltageCaption, "DA High (10V bei)",
     "DA Low (0V bei)", {"Off 0[V]", "On >10,5[V]"}, 7,
     "Lese Daten von DVN500 010/1", "Sende Daten an DVN500XAO"},
    {ModelId::TRK520, "MainMenueSchnittstelleItemTRK520", "TRK 520", "TRK 520", "TRK 520", 5, kFamilyTrk520,
     false, false, false, false, false, 10, OutputList::Full, "", "", "", {nullptr, nullptr}, 4,
     "Lese Daten von TRK520", "Sende Daten an TRK520"},
    {ModelId::TRK520XAO, "MainMenueSchnittstelleItemTRK520XAO", "TRK 520-XAO020/1", "TRK 520 XAO020/1",
     "TRK 520 XAO020/1", 6, kFamilyTrk520,
     true, true, false, false, false, 10, OutputList::Short, kCurrentCaption, "DA High (20mA bei)",
     "DA Low (0(4)mA bei)", {"Off 0[mA]", "On >23[mA]"}, 5,
     "Lese Daten von TRK520 020/1", "Sende Daten an TRK520 - XAO020/1"},
    {ModelId::TRK520XAOV, "MainMenueSchnittstelleItemTRK520XAOV", "TRK 520-XAO010/1", "TRK 520 XAO010/1",
     "TRK 520 XAO010/1", 7, kFamilyTrk520,
     true, false, true, false, false, 10, OutputList::Short, kVoltageCaption, "DA High (10V bei)",
     "DA Low (0V bei)", {"Off 0[V]", "On >10,5[V]"}, 6,
     "Lese Daten von TRK520 010/1", "Sende Daten an TRK520 - XAO010/1"},
    {ModelId::TRK520PID, "MainMenueSchnittstelleItemTRK520PID", "TRK 520 PID", "TRK 520 PID", "TRK 520 PID", 8,
     kFamilyTrk520,
     false, false, false, true, false, 10, OutputList::Full, "", "", "", {nullptr, nullptr}, 8,
     "Lese Daten von TRK520", "Sende Daten an TRK520 PID"},
    {ModelId::TRK520PIDXAO, "MainMenueSchnittstelleItemTRK520PIDXAO", "TRK 520 PID - XAO020/1",
     "TRK 520 PID XAO020/1", "TRK 520 PID XAO020/1", 9, kFamilyTrk520,
     true, true, false, true, false, 10, OutputList::Short, kCurrentCaption, "DA High (20mA bei)",
     "DA Low (0(4)mA bei", {"Off 0[mA]", "On >23[mA]"}, 9,
     "Lese Daten von TRK520 020/1", "Sende Daten an TRK520 PID - XAO020/1"},
    {ModelId::TRK520PIDXAOV, "MainMenueSchnittstelleItemTRK520PIDXAOV", "TRK 520 PID - XAO010/1",
     "TRK 520 PID XAO010/1", "TRK 520 PID XAO010/1", 10, kFamilyTrk520,
     true, false, true, true, false, 10, OutputList::Short, kVoltageCaption, "DA High (10V bei)",
     "DA Low (0V bei)", {"Off 0[V]", "On >10,5[V]"}, 10,
     "Lese Daten von TRK520 010/1", "Sende Daten an TRK520 PID - XAO010/1"},
    {ModelId::TRK520PID_StetigA, "MainMenueSchnittstelleItemTRK520PID_StetigA", "TRK 520 PID - STA1",
     "TRK 520 PID STA1", "TRK 520 PID STA1", 12, kFamilyTrk520,
     true, true, false, true, true, 10, OutputList::Continuous, "Stetigausgang (Strom 0(4)...20mA)", "", "",
     {nullptr, nullptr}, 11, "Lese Daten von TRK520 PID - STA1", "Sende Daten an TRK520 PID STA1"},
    {ModelId::TRK520PID_StetigV, "MainMenueSchnittstelleItemTRK520PID_StetigV", "TRK 520 PID - STV1",
     "TRK 520 PID STV1", "TRK 520 PID STV1", 12, kFamilyTrk520,
     true, false, true, true, true, 10, OutputList::Continuous, "Stetigausgang Spannung 0...10V", "", "",
     {nullptr, nullptr}, 12, "Lese Daten von TRK520 PID - STV1", "Sende Daten an TRK520 PID STV1"},
};
// clang-format on

const QStringList kInputKinds = {
    QStringLiteral("Spannungssignal"),
    QStringLiteral("Stromsignal"),
    QStringLiteral("Widerstand (Pt100, Pt1000)"),
    QStringLiteral("Thermoelement"),
    QStringLiteral("Frequenz"),
    QStringLiteral("Drehzahl"),
    QStringLiteral("Aufwärtszähler"),
    QStringLiteral("Abwärtszähler"),
    QStringLiteral("Schnittstellenbetrieb"),
    QStringLiteral("Durchflussmessung"),
};

const QStringList kFullOutputs = {
    QStringLiteral("no"),
    QStringLiteral("2 Punkt Regler"),
    QStringLiteral("3 Punkt Regler"),
    QStringLiteral("2 Punkt Regler mit Alarm"),
    QStringLiteral("Alarmfunktion gemeinsam"),
    QStringLiteral("Alarmfunktion getrennt"),
};

} // namespace

namespace catalogue {

const ModelEntry& entry(ModelId id) {
    return kModels[static_cast<int>(id)];
}
const ModelEntry* begin() {
    return kModels;
}
const ModelEntry* end() {
    return kModels + kModelCount;
}

ModelId modelForStoredCode(int32_t code) {
    for (const ModelEntry& m : kModels) {
        // Code 12 is shared by the two continuous models and is not restored.
        if (m.code == code && code != 0 && code != 12) return m.id;
    }
    return ModelId::DVN20TB;
}

const ModelEntry* modelForFileCode(int code) {
    if (code == 3) return nullptr;
    for (const ModelEntry& m : kModels) {
        if (m.fileModelCode == code && code != 0) return &m;
    }
    return &entry(ModelId::DVN20TB);
}

const ModelEntry* byMenuItem(const QString& name) {
    for (const ModelEntry& m : kModels) {
        if (name == QLatin1String(m.menuItem)) return &m;
    }
    return nullptr;
}

QStringList inputKinds(int count) {
    return kInputKinds.mid(0, count);
}

QStringList outputItems(OutputList list) {
    switch (list) {
    case OutputList::None:
        return {};
    case OutputList::Full:
        return kFullOutputs;
    case OutputList::Continuous:
        return kFullOutputs.mid(0, 5);
    case OutputList::Short:
        return {kFullOutputs[0], kFullOutputs[1], kFullOutputs[4]};
    }
    return {};
}

int outputCode(OutputList list, int position) {
    if (list == OutputList::Short && position == 2) return 4;
    return position;
}

int outputPosition(OutputList list, int code) {
    if (code < 0) return -1;
    if (list == OutputList::Short) {
        if (code == 4) return 2;
        return code <= 1 ? code : -1;
    }
    return code < outputItems(list).size() ? code : -1;
}

uint16_t expectedFeatures(const ModelEntry& m) {
    uint16_t f = 0;
    if (m.hasPidController) f |= 0x0010;
    if (m.hasCurrentOutput) f |= 0x0004;
    if (m.hasVoltageOutput) f |= 0x8000;
    if (m.hasContinuousOutput) f |= 0x0020;
    return f;
}

} // namespace catalogue
