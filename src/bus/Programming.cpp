#include "bus/Programming.h"

#include "bus/BusConstants.h"
#include "bus/BusPort.h"
#include "bus/ExtendedTransfer.h"
#include "bus/RawValue.h"
#include "config/NumericEdit.h"

#include <algorithm>
#include <iterator>

namespace bus {

int deviceCodeFromInputIndex(int32_t family, int position, double version) {
    static constexpr int kCurrentCodes[] = {0, 1, 2, 3, 4, 7, 8, 9, 10, 5};
    constexpr int kFlow = 9;
    if (position < 0 || position >= static_cast<int>(std::size(kCurrentCodes))) return -1;
    const bool olderGeneration = family == kFamilyTrk520 && version < kFirstCurrentFirmware;
    if (family == kFamilyDvn20 || olderGeneration) return position == kFlow ? -1 : position;
    return kCurrentCodes[position];
}

} // namespace bus

namespace {

namespace cmd = bus::cmd;
namespace param = bus::param;

constexpr int kResistance = 2;
constexpr int kPt1000 = 2;
constexpr int kUpCounter = 6;
constexpr int kDownCounter = 7;
constexpr int kFlow = 9;
constexpr int32_t kFlowUnitOffset = 79;

double number(const NumericField& field) {
    return NumericEdit::GetDouble(field);
}

bool isPt100(const MainWindowModel& m) {
    return m.rgInput.itemIndex == kResistance && (m.rgSensor.itemIndex == 0 || m.rgSensor.itemIndex == 1);
}

} // namespace

Programming::Programming(BusLibrary& library, ConfigActions& actions, Prompter& prompter, Clock& clock)
    : BusRun(library, actions, prompter, clock) {}

int16_t Programming::DVN20DatenProgrammieren() {
    bus::aDLLDynamischLaden(lib, prompter);
    a.teFilterExit();
    a.aSetAll();
    announce(&ModelEntry::writeProgress);
    // Nothing is written before the instrument proved to be the selected model.
    if (reach(bus::kAddressQueryWrite) && confirmWriting() && writeExtendedWords()) {
        readVersion();
        if (writeInputKind()) {
            if (family == kFamilyDvn20)
                tableE();
            else
                tableF();
            writeDisplayUnitExtra();
            readIdentity();
        }
    }
    report();
    const int16_t reported = running;
    // Declined before the first write: the instrument received nothing to take over.
    if (reported == bus::status::Declined)
        lib.TBCloseCom();
    else
        takeOver();
    return reported;
}

bool Programming::confirmWriting() {
    if (!ok() || !beforeWriting || beforeWriting()) return true;
    running = bus::status::Declined;
    return false;
}

// The extended words go before the parameters; when they did not arrive nothing else is written.
bool Programming::writeExtendedWords() {
    if (!ok() || family == kFamilyDvn20 || !m.extendedConfigUnlocked ||
        !m.MainMenueExtras_ErweiterteKonfiguration.checked)
        return true;
    if (!confirmSwitchingOff()) {
        running = bus::status::Declined;
        return false;
    }
    m.extendedConfigWriteMismatch = false;
    bus::aErweiterteKonfigurationSchreiben(lib, m);
    if (!m.extendedConfigWriteMismatch) return true;
    running = bus::status::ExtendedWriteFailed;
    return false;
}

// Switching an instrument function off is never a side effect: when the words about to be
// written clear a bit that this very instrument was last read with, the user is asked first.
bool Programming::confirmSwitchingOff() {
    const QStringList cleared = bus::clearedFunctionBits(m);
    if (cleared.isEmpty()) return true;
    Prompter::Message question;
    question.text =
        QStringLiteral("Die erweiterte Konfiguration schaltet Funktionen des Geräts ab, die beim letzten "
                       "Einlesen dieses Geräts eingeschaltet waren:\n%1\n\n"
                       "Die Bedeutung der Bits zeigt \"Anzeigen\" unter \"Erweiterte Konfiguration\".\n"
                       "Trotzdem programmieren?")
            .arg(cleared.join(QLatin1Char('\n')));
    question.caption = QStringLiteral("Gerätefunktionen abschalten?");
    question.icon = Prompter::Icon::Warning;
    question.buttons = {Prompter::Button::Yes, Prompter::Button::No};
    question.defaultButton = Prompter::Button::No;
    return prompter.message(question) == Prompter::Button::Yes;
}

bool Programming::writeInputKind() {
    if (ok() && m.rgInput.visible) {
        const int kind = m.rgInput.itemIndex;
        if (kind == kFlow) unitOffset = kFlowUnitOffset;
        const int code = bus::deviceCodeFromInputIndex(family, kind, m.deviceVersion);
        if (code < 0) {
            prompter.show(QStringLiteral("Gerät unterstützt gewählte Eingangsfunktion nicht!\nEvtl. ist die "
                                         "Geräteversion zu alt und."),
                          QStringLiteral("Gerätefehler aufgetreten"));
            running = bus::status::InputNotSupported;
            return false;
        }
        put(param::InputKind, code);
    }
    restart();
    return true;
}

void Programming::tableE() {
    namespace d = param::dvn20;
    if (ok()) {
        // Cleared together; only the second answer counts.
        running = bus::writeParameter(lib, m.busAddress, d::Cleared1, 0, ops);
        running = bus::writeParameter(lib, m.busAddress, d::Cleared2, 0, ops);
        m.inputKindChanged = false;
    }
    if (m.rgSensor.visible) put(param::Sensor, m.rgSensor.itemIndex);
    restart(bus::kPollLimitDvn20Sensor);
    put(param::Decimals, m.cpAnzeigeDp.itemIndex);
    put(param::DisplayHigh, bus::rawValueOf(m.neAnzeigeHigh));
    put(param::DisplayLow, bus::rawValueOf(m.neAnzeigeLow));
    put(param::Limit, m.cbLimit.itemIndex);
    put(param::Filter, filterOrEdge());
    put(param::RangeHigh, bus::rawValueOf(m.neMessbereichHigh));
    put(param::RangeLow, bus::rawValueOf(m.neMessbereichLow));
    put(param::Prescaler, bus::rawValueOf(m.neVorteiler));
    put(param::Unit, m.cbAnzeigeUnit.itemIndex + unitOffset);
    put(param::OutputFunction, m.rgOutput.itemIndex);
    restart();
    put(d::Out1On, bus::rawValueOf(m.neOut1Einschaltpunkt));
    put(d::Out1Off, bus::rawValueOf(m.neOut1Ausschaltpunkt));
    put(d::Out1Delay, bus::rawValueOf(m.neOut1Delay));
    put(d::Out1Mode, m.cbOut1Mode.itemIndex);
    put(d::Out1Preferred, m.cbOut1Vorzugslage.itemIndex);
    put(d::Out2On, bus::rawValueOf(m.neOut2Einschaltpunkt));
    put(d::Out2Off, bus::rawValueOf(m.neOut2Ausschaltpunkt));
    const int32_t delay = bus::rawValueOf(m.neOut2Delay);
    put(d::Out2Delay, delay);
    if (running == bus::status::Dvn20DelayWrite) {
        // This instrument takes the output 2 delay only through its own command.
        ops.aux = 0;
        ops.integer = 1;
        ops.value = delay;
        running = send(cmd::WriteOut2DelayAlt);
    }
    put(d::Out2Mode, m.cbOut2Mode.itemIndex);
    put(d::Out2Preferred, m.cbOut2Vorzugslage.itemIndex);
}

void Programming::tableF() {
    if (m.inputKindChanged && ok()) {
        // The instrument resets itself to the new input kind; a failed round is sent again next time.
        ops.value = 0.0;
        ops.integer = 0;
        // An unanswered reset command is a failed round, whatever the restart answers.
        running = send(cmd::InputKindChange1);
        if (ok()) running = bus::restartAndPoll(lib, m.busAddress, ops);
        if (ok()) {
            ops.value = 0.0;
            ops.integer = 0;
            running = send(cmd::InputKindChange2);
        }
        if (ok()) running = bus::restartAndPoll(lib, m.busAddress, ops);
        if (ok()) m.inputKindChanged = false;
    }
    if (m.rgSensor.visible) {
        // The instrument knows Pt100 and Pt1000 only; the decimal point tells 0.1 K from 1 K.
        const int sensor = m.rgSensor.itemIndex;
        put(param::Sensor, m.rgInput.itemIndex == kResistance ? (sensor == kPt1000 ? 1 : 0) : sensor);
    }
    restart();
    if (ok() && (m.cpAnzeigeDp.visible || isPt100(m))) {
        ops.integer = m.cpAnzeigeDp.itemIndex;
        running = send(cmd::WriteDecimals);
    }
    if (m.neAnzeigeHigh.visible) putNumber(cmd::WriteDisplayHigh, -1, number(m.neAnzeigeHigh));
    if (m.neAnzeigeLow.visible) putNumber(cmd::WriteDisplayLow, -1, number(m.neAnzeigeLow));
    if (m.cbLimit.visible) put(param::Limit, m.cbLimit.itemIndex);
    if (m.cbEdge.visible || m.neFilter.visible || m.teFilter.visible) put(param::Filter, filterOrEdge());
    if (m.neMessbereichHigh.visible) put(param::RangeHigh, bus::rawValueOf(m.neMessbereichHigh));
    if (m.neMessbereichLow.visible) put(param::RangeLow, bus::rawValueOf(m.neMessbereichLow));
    if (m.neVorteiler.visible) {
        put(param::Prescaler, bus::rawValueOf(m.neVorteiler));
        restart();
    }
    if (ok() && m.cbAnzeigeUnit.visible) {
        ops.integer = m.cbAnzeigeUnit.itemIndex + unitOffset;
        running = send(cmd::WriteUnit);
    }
    if (family == kFamilyTrk520) outputBlocks();
    analogAndControllerBlocks();
}

void Programming::outputBlocks() {
    if (ok()) {
        outputFunction = catalogue::outputCode(model->outputList, m.rgOutput.itemIndex);
        put(param::OutputFunction, outputFunction);
        restart();
    }
    const int32_t f = outputFunction;
    if (m.gpOut1Parameter.visible) {
        putNumber(cmd::WriteOnPoint, 0, number(m.neOut1Einschaltpunkt));
        putNumber(cmd::WriteOffPoint, 0, number(m.neOut1Ausschaltpunkt));
        putPreferredState(param::Out1Preferred, 0, m.cbOut1Vorzugslage.itemIndex);
        if (ok()) {
            // The write's answer is not looked at; reading the delay back tells whether the instrument is
            // there.
            ops.aux = 0;
            ops.integer = 0;
            ops.value = number(m.neOut1Delay);
            send(cmd::WriteDelay);
            ops.aux = 0;
            ops.integer = 0;
            ops.value = 0.0;
            running = send(cmd::ReadDelay);
        }
    }
    if (m.gpOut2Parameter.visible && f < 3) {
        putNumber(cmd::WriteOnPoint, 1, number(m.neOut2Einschaltpunkt));
        putNumber(cmd::WriteOffPoint, 1, number(m.neOut2Ausschaltpunkt));
        putNumber(cmd::WriteDelay, 1, number(m.neOut2Delay));
        if (ok()) {
            putPreferredState(param::Out2Preferred, 1, m.cbOut2Vorzugslage.itemIndex);
            if (running == bus::status::UnknownParameter) running = 0;
        }
    }
    if (m.gpOut2Parameter.visible && f > 2 && ok()) {
        // Open the alarm window to the whole display range first, so the instrument takes
        // the two limits in either order; those two answers do not count. Not after a failure:
        // without the limits that follow, an opened window would leave the alarm switched off.
        const auto [low, high] = a.displayRange();
        ops.integer = 0;
        ops.value = static_cast<float>(low);
        send(cmd::WriteAlarmMin);
        ops.integer = 0;
        ops.value = static_cast<float>(high);
        send(cmd::WriteAlarmMax);
        takeUnlessFailed(0);
        putNumber(cmd::WriteAlarmMin, 0, number(m.neOut2Ausschaltpunkt));
        putNumber(cmd::WriteAlarmMax, 0, number(m.neOut2Einschaltpunkt));
        put(param::AlarmDelay, bus::rawValueOf(m.neOut2Delay));
    }
}

void Programming::analogAndControllerBlocks() {
    // Older instruments do not know the analog range and filter.
    auto olderMayNotKnow = [this](int16_t answer) {
        return answer == bus::status::UnknownParameter && !isCurrentFirmware() ? int16_t(0) : answer;
    };
    if (m.gpAnalogOut1.visible && m.cbStromAusgang.visible) {
        const int16_t answer =
            bus::writeParameter(lib, m.busAddress, param::CurrentRange, m.cbStromAusgang.itemIndex, ops);
        takeUnlessFailed(olderMayNotKnow(answer));
    }
    if (m.gpAnalogOut1.visible) {
        if (ok())
            running = olderMayNotKnow(bus::writeParameter(lib, m.busAddress, param::AnalogFilter,
                                                          bus::rawValueOf(m.neDAFilter), ops));
        put(param::AnalogLow, bus::rawValueOf(m.neDAC_Low));
        put(param::AnalogHigh, bus::rawValueOf(m.neDAC_High));
        put(param::AnalogFailSafe, m.cbAnalogOut1Vorzugslage.itemIndex);
        if (ok()) m.cbAnalogOut1Vorzugslage.setItemIndex(ops.integer);
    }
    if (m.gpPIDRegler.visible) {
        put(param::ControllerFunction, m.rgReglerFunktion.itemIndex);
        putNumber(cmd::WriteOnPoint, 0, number(m.nePID_SP1));
        putNumber(cmd::WriteOffPoint, 0, number(m.nePID_Proportional));
        put(param::PidIntegral, bus::rawValueOf(m.ne_PIDIntegral));
        put(param::PidDerivative, bus::rawValueOf(m.nePID_Derivation));
        put(param::PidCycle, bus::rawValueOf(m.nePID_CyC));
        if (m.nePIDdur.visible) put(param::PidRunningTime, bus::rawValueOf(m.nePIDdur));
        if (m.nePIDthr.visible) put(param::PidThreshold, bus::rawValueOf(m.nePIDthr));
        if (ok()) {
            ops.value = 0.0;
            ops.integer = m.cbPID_Vorzugslage.itemIndex;
            running = send(cmd::WritePreferredState);
        }
    }
}

void Programming::writeDisplayUnitExtra() {
    if (!m.MainMenueExtrasAnzeigeeinheit.checked || !m.l_AnzeigeEinheit.visible) return;
    constexpr int kUnitCodes = 200;
    const QString unit = m.cb_AnzeigeEinheit.selectedText();
    for (int code = 0; code < kUnitCodes; ++code) {
        if (lib.GetUnit(static_cast<int16_t>(code)) != unit) continue;
        ops.integer = code;
        takeUnlessFailed(send(cmd::WriteUnit));
        return;
    }
    // No unit code carries the shown text: the instrument keeps its unit rather than
    // getting whatever the previous command left in the operand.
}

void Programming::report() {
    QString text;
    switch (running) {
    case bus::status::InputNotSupported:
        text =
            QStringLiteral("Daten wurden nicht programmiert, Geräteversion unterstützt Eingangssignal nicht");
        break;
    case bus::status::Declined:
        text = QStringLiteral("Daten wurden nicht programmiert, Abbruch durch Benutzer");
        break;
    case bus::status::ExtendedWriteFailed:
        text =
            QStringLiteral("Daten wurden nicht programmiert, konnte erweiterte Konfiguration nicht setzen!");
        break;
    default:
        text = ok() ? resultText + QStringLiteral(" Daten Senden war erfolgreich") : failureText();
    }
    m.StatusBar1.panels[2] = text;
    // The user's own "Nein" needs no error box.
    if (!ok() && running != bus::status::Declined) prompter.show(text, QStringLiteral("Fehler Aufgetreten"));
    a.repaintStatusBar();
}

// Sent after a failed run as well: the instrument only takes over what it received on a restart.
void Programming::takeOver() {
    if (family == kFamilyDvn20)
        bus::writeParameter(lib, m.busAddress, param::TakeOver, param::TakeOverValue, ops);
    else
        send(cmd::Restart);
    bus::restartAndPoll(lib, m.busAddress, ops);
    lib.TBCloseCom();
}

void Programming::put(int p, int32_t integer) {
    if (ok()) running = bus::writeParameter(lib, m.busAddress, p, integer, ops);
}

void Programming::putNumber(int16_t command, int32_t output, double value) {
    if (!ok()) return;
    if (output >= 0) ops.integer = output;
    if (command == cmd::WriteDelay) ops.aux = 0;
    ops.value = value;
    running = send(command);
}

void Programming::putPreferredState(int oldParameter, int32_t output, int position) {
    if (!ok()) return;
    if (!isCurrentFirmware()) {
        put(oldParameter, position);
        return;
    }
    ops.value = output;
    ops.integer = position;
    running = send(cmd::WritePreferredState);
    if (running == bus::status::UnknownParameter) running = 0;
}

void Programming::restart(int limit) {
    if (ok()) running = bus::restartAndPoll(lib, m.busAddress, ops, limit);
}

int32_t Programming::filterOrEdge() const {
    const int kind = m.rgInput.itemIndex;
    return kind == kUpCounter || kind == kDownCounter ? m.cbEdge.itemIndex : bus::rawValueOf(m.neFilter);
}
