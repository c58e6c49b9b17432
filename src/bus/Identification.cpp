#include "bus/Identification.h"

#include "bus/BusConstants.h"
#include "bus/BusPort.h"
#include "config/ExtendedWords.h"
#include "config/ModelCatalogue.h"

namespace bus {

namespace {

bool isKnownFamily(int32_t family) {
    return family == kFamilyDvn500 || family == kFamilyTrk520 || family == kFamilyDvn20;
}

QString familyMismatchText(BusLibrary& library, int32_t identity, int32_t expectedFamily) {
    const bool known = isKnownFamily(identity & kFamilyMask);
    const QString firstLine = known ? QStringLiteral("Falsches Gerät angeschlossen!\n")
                                    : QStringLiteral("Nicht unterstütztes Gerät angeschlossen!\n");
    QString connected;
    const bool typeKnown = library.GetType(identity, connected) >= 0;
    if (!known) {
        if (!typeKnown) return firstLine + QStringLiteral("Es ist ein unbekanntes Gerät angeschlossen.");
        return firstLine + QStringLiteral("Es ist ein ") + connected +
               QStringLiteral(" angeschlossen.\nDieses Gerät wird nicht von diesem Programm unterstützt.");
    }
    if (!typeKnown) return firstLine;
    QString expected;
    // Without a name for the selected family the sentence would end in a blank.
    if (library.GetType(expectedFamily, expected) < 0) return firstLine;
    return firstLine + QStringLiteral("Es ist ein ") + connected +
           QStringLiteral(" angeschlossen.\nAusgewählt wurde aber ein ") + expected + QStringLiteral(".");
}

// One identification run. Each step returns the running status; a negative
// one ends the run.
class Check {
  public:
    Check(BusLibrary& library, Prompter& prompter, MainWindowModel& model, int32_t expectedFamily,
          Operands& ops)
        : library(library), prompter(prompter), m(model), expectedFamily(expectedFamily), ops(ops),
          address(model.busAddress) {}

    int16_t run() {
        int16_t status = identity();
        if (status < 0) return status;
        status = version();
        // The DVN 20 TB has neither feature nor option words.
        if (status < 0 || expectedFamily == kFamilyDvn20) return status;
        if (m.deviceVersion < kFirstCurrentFirmware) return oldGeneration(status);
        status = readWords();
        if (status < 0) return status;
        return compareWords(status);
    }

  private:
    int16_t identity() {
        ops.integer = 0;
        const int16_t status = transmit(library, address, cmd::ReadIdentity, ops);
        if (status < 0) return status;
        const int32_t word = ops.integer;
        m.deviceIdentity = word;
        if ((word & kFamilyMask) == expectedFamily) return status;
        mismatch(familyMismatchText(library, word, expectedFamily));
        return status::DeviceMismatch;
    }

    int16_t version() {
        ops.value = 0.0;
        ops.integer = 0;
        const int16_t status = transmit(library, address, cmd::ReadVersion, ops);
        m.deviceVersion = ops.value;
        // An unanswered version read is a bus fault, not an old instrument.
        return status;
    }

    int16_t oldGeneration(int16_t status) {
        notice(QStringLiteral(
            "Angeschlossenes Gerät ist Version 1.6.\nBitte darauf achten den richtigen Typen "
            "auszuwählen.\nFehler -38 kann auftreten wenn statt TRK520 TRK520 -XAO gewählt wurde"));
        if (!(m.expectedFeatures & (feature::ExpectedPid | feature::ExpectedContinuous))) return status;
        mismatch(QStringLiteral(
            "Angeschlossenes Gerät hat keine erweiterten Regelfunktionen!\nGeräteversion zu alt, "
            "nicht unterstützt!\nNeues Gerät anschliessen oder ohne PID Option auswählen."));
        return status::DeviceMismatch;
    }

    int16_t readWords() {
        int16_t status = readWord(param::Features, f38);
        if (status < 0) return status;
        if ((f38 & feature::CurrentOutput) && !(f38 & feature::VoltageOutput)) {
            m.deviceHasAnalogOutput = true;
            currentOutput = true;
        } else if (f38 & feature::VoltageOutput) {
            m.deviceHasAnalogOutput = true;
            voltageOutput = true;
        }
        int32_t f39 = 0;
        status = readWord(param::Options, f39);
        if (status < 0 || !(f39 & feature::PidOption)) return status;
        m.deviceHasPidOption = true;
        int32_t f18 = 0;
        status = readWord(param::SwitchFunction1, f18);
        if (status >= 0 && (f18 & extendedwords::kPidFunctionBit)) m.devicePidActive = true;
        return status;
    }

    // Every rule is checked, so the user learns all differences at once.
    int16_t compareWords(int16_t status) {
        auto fail = [&](const QString& text) {
            mismatch(text);
            status = status::DeviceMismatch;
        };
        const bool analogModel = m.expectedFeatures & (feature::CurrentOutput | feature::VoltageOutput);
        const bool pidModel = m.expectedFeatures & feature::ExpectedPid;
        // Instruments with an analog output carry the option bit as well; one without it is
        // taken for a different device.
        if (analogModel && !m.deviceHasAnalogOutput)
            fail(QStringLiteral("Gerät besitzt keinen analog Ausgang!"));
        else if (m.deviceHasAnalogOutput && !m.deviceHasPidOption)
            fail(QStringLiteral(
                "Analog-Ausgang im Gerät vorhanden!\nBitte entsprechendes Gerät auswählen/anstecken."));
        if (!pidModel && m.devicePidActive)
            fail(QStringLiteral(
                "PID-Regelfunktion im Gerät vorhanden!\nBitte entsprechendes Gerät auswählen/anstecken."));
        if (pidModel && !m.devicePidActive) {
            fail(m.deviceHasPidOption
                     ? QStringLiteral("PID-Regelfunktion im Gerät deaktiviert!\nAktivieren oder Gerät ohne "
                                      "PID-Funktion auswählen")
                     : QStringLiteral("PID-Regelfunktion vom Gerät nicht unterstützt!"));
        }
        if ((f38 & feature::RelayOnly) && !m.devicePidActive && !m.deviceHasAnalogOutput) {
            m.deviceRelayOnly = true;
            notice(QStringLiteral("Angeschlossenes Gerät besitzt nur einen Relais-Ausgang!"));
        }
        if (m.deviceHasAnalogOutput || m.deviceHasPidOption) {
            if (currentOutput && !m.hasCurrentOutput)
                fail(QStringLiteral("Angeschlossenes Gerät besitzt einen Strom-Ausgang!\nBitte Gerät mit "
                                    "Strom-Normsignal auswählen."));
            if (voltageOutput && !m.hasVoltageOutput)
                fail(QStringLiteral("Angeschlossenes Gerät besitzt einen Spannungs-Ausgang!\nBitte Gerät mit "
                                    "Spannungs-Normsignal auswählen."));
        }
        return status;
    }

    // A parameter the instrument does not know reads as a cleared word.
    int16_t readWord(int p, int32_t& word) {
        const int16_t status = readParameter(library, address, p, ops);
        if (status >= 0) word = ops.integer;
        return status == status::UnknownParameter ? int16_t(0) : status;
    }

    void mismatch(const QString& text) {
        m.deviceMismatch = true;
        prompter.show(text, QStringLiteral("Gerätefehler aufgetreten"));
    }
    void notice(const QString& text) { prompter.show(text, QStringLiteral("Hinweis")); }

    BusLibrary& library;
    Prompter& prompter;
    MainWindowModel& m;
    const int32_t expectedFamily;
    Operands& ops;
    const int16_t address;
    int32_t f38 = 0;
    bool currentOutput = false;
    bool voltageOutput = false;
};

} // namespace

void buildExpectedFeatures(MainWindowModel& model) {
    const ModelEntry* entry = model.checkedModel();
    model.expectedFeatures = entry ? catalogue::expectedFeatures(*entry) : 0;
}

int16_t checkConnectedDevice(BusLibrary& library, Prompter& prompter, MainWindowModel& model,
                             int32_t expectedFamily, Operands& ops) {
    model.deviceMismatch = false;
    model.deviceRelayOnly = false;
    model.deviceHasAnalogOutput = false;
    model.deviceHasPidOption = false;
    model.devicePidActive = false;
    model.deviceIdentity = 0;

    const int16_t status = Check(library, prompter, model, expectedFamily, ops).run();
    // A mismatch, too, ends with the library's text for its status.
    if (status < 0) showError(library, prompter, status);
    return status;
}

} // namespace bus
