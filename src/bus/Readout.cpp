#include "bus/Readout.h"

#include "bus/BusConstants.h"
#include "bus/BusPort.h"
#include "bus/ExtendedTransfer.h"
#include "bus/RawValue.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

namespace bus {

int inputIndexFromDeviceCode(int32_t family, int32_t code, double version) {
    // Mirrors deviceCodeFromInputIndex: the older generation stores the position itself.
    if (family == kFamilyDvn20 || (family == kFamilyTrk520 && version < kFirstCurrentFirmware)) return code;
    static constexpr int kPositions[] = {0, 1, 2, 3, 4, 9, 6, 5, 6, 7, 8};
    if (code >= 0 && code < static_cast<int32_t>(std::size(kPositions))) return kPositions[code];
    return code;
}

} // namespace bus

namespace {

using M = MainWindowModel;
using Step = Readout::Step;
using E = Readout::Encoding;
using A = Readout::Applied;
using T = Readout::Then;
namespace cmd = bus::cmd;
namespace param = bus::param;

constexpr int16_t P = cmd::Parameter;
constexpr int kResistance = 2;
constexpr int kFlowUnitFirst = 79; // flow units l/sec, l/hr, l/min
constexpr int kFlowUnitLast = 81;
constexpr int kMinCounts = 1;
constexpr int kMaxCounts = 9999;

Step list(int16_t command, int p, ItemList M::*target, A applied = A::Ok, T then = T::Nothing) {
    return {command, p, E::Index, target, nullptr, applied, then, false};
}

Step number(int16_t command, int p, NumericField M::*target, E encoding, A applied = A::Ok,
            T then = T::Nothing) {
    return {command, p, encoding, nullptr, target, applied, then, false};
}

Step special(int16_t command, int p, E encoding, A applied = A::Ok, T then = T::Nothing) {
    return {command, p, encoding, nullptr, nullptr, applied, then, false};
}

Step always(Step step) {
    step.always = true;
    return step;
}

// A list position computed from an answer; an answer far out of range selects nothing.
int position(int64_t value) {
    return value >= 0 && value <= std::numeric_limits<int>::max() ? static_cast<int>(value) : -1;
}

} // namespace

Readout::Readout(BusLibrary& library, ConfigActions& actions, Prompter& prompter, Clock& clock)
    : BusRun(library, actions, prompter, clock) {}

int16_t Readout::DVN20DatenEinlesen() {
    bus::aDLLDynamischLaden(lib, prompter);
    // A port that does not open is reported before the run announces itself.
    const auto reportPortAndAnnounce = [this] {
        if (!ok()) bus::showError(lib, prompter, running);
        announce(&ModelEntry::readProgress);
    };
    if (reach(bus::kAddressQueryRead, reportPortAndAnnounce)) {
        const bool identified = ok();
        m.source = {}; // the fields are about to change
        readDisplayUnitExtra();
        if (model && family == kFamilyDvn20)
            tableA();
        else if (model)
            tableB();
        if (ok()) reading = {cmd::ReadIdentity, -1, {}, {}};
        readIdentity();
        if (ok())
            rememberSource();
        else if (identified)
            failure = reading;
    }
    report();
    a.aSetAll();
    lib.TBCloseCom();
    return running;
}

void Readout::readDisplayUnitExtra() {
    if (!m.MainMenueExtrasAnzeigeeinheit.checked) return;
    // Only the selection is taken from here; the running status is left alone.
    ops.integer = 0;
    if (send(cmd::ReadUnit) < 0) return;
    a.aPopulateAnzeigeEinheit();
    constexpr int kUnitCodes = 200;
    if (ops.integer < 0 || ops.integer >= kUnitCodes) return;
    const int at = m.cb_AnzeigeEinheit.items.indexOf(lib.GetUnit(static_cast<int16_t>(ops.integer)));
    if (at >= 0) m.cb_AnzeigeEinheit.setItemIndex(at);
}

void Readout::tableA() {
    namespace d = param::dvn20;
    run(
        {
            special(P, param::InputKind, E::InputKind, A::Ok, T::SetInput),
            list(P, param::Sensor, &M::rgSensor, A::Ok, T::SetSensor),
            list(P, param::Decimals, &M::cpAnzeigeDp, A::OkOr38, T::ResistanceThenDp),
            number(P, param::DisplayHigh, &M::neAnzeigeHigh, E::Raw16),
            number(P, param::DisplayLow, &M::neAnzeigeLow, E::Raw16),
            list(P, param::Limit, &M::cbLimit),
            special(P, param::Filter, E::FilterAndEdge),
            number(P, param::RangeHigh, &M::neMessbereichHigh, E::Raw16),
            number(P, param::RangeLow, &M::neMessbereichLow, E::Raw16),
            number(P, param::Prescaler, &M::neVorteiler, E::Raw32),
            special(P, param::Unit, E::UnitMinusOne),
            special(P, param::OutputFunction, E::OutputFunction, A::Ok, T::SetOutput),
            number(P, d::Out1On, &M::neOut1Einschaltpunkt, E::Raw16),
            number(P, d::Out1Off, &M::neOut1Ausschaltpunkt, E::Raw16),
            number(P, d::Out1Delay, &M::neOut1Delay, E::Raw32),
            list(P, d::Out1Mode, &M::cbOut1Mode),
            list(P, d::Out1Preferred, &M::cbOut1Vorzugslage),
            number(P, d::Out2On, &M::neOut2Einschaltpunkt, E::Raw16),
            number(P, d::Out2Off, &M::neOut2Ausschaltpunkt, E::Raw16),
            number(P, d::Out2Delay, &M::neOut2Delay, E::Raw32),
            list(P, d::Out2Mode, &M::cbOut2Mode),
            list(P, d::Out2Preferred, &M::cbOut2Vorzugslage),
        },
        -1);
}

void Readout::tableB() {
    if (m.extendedConfigUnlocked && m.MainMenueExtras_ErweiterteKonfiguration.checked)
        bus::aErweiterteKonfigurationEinlesen(lib, m);
    reading = {cmd::ReadVersion, -1, {}, {}};
    readVersion();
    const bool current = isCurrentFirmware();

    run(
        {
            special(P, param::InputKind, E::InputKind, A::Ok, T::SetInput),
            list(P, param::Sensor, &M::rgSensor, A::Ok, T::SetSensor),
            list(cmd::ReadDecimals, -1, &M::cpAnzeigeDp, A::OkOr38, T::ResistanceThenDp),
            number(cmd::ReadDisplayHigh, -1, &M::neAnzeigeHigh, E::Fixed42, A::OkOr38),
            number(cmd::ReadDisplayLow, -1, &M::neAnzeigeLow, E::Fixed74, A::OkOr38),
            list(P, param::Limit, &M::cbLimit, A::OkOr38),
            special(P, param::Filter, E::FilterAndEdge, A::OkOr38),
            number(cmd::ReadRangeHigh, -1, &M::neMessbereichHigh, E::Fixed74, A::OkOr38),
            number(cmd::ReadRangeLow, -1, &M::neMessbereichLow, E::Fixed74, A::OkOr38),
            number(P, param::Prescaler, &M::neVorteiler, E::Raw32, A::OkOr38),
            special(cmd::ReadUnit, -1, E::UnitCode, A::OkOr38),
        },
        -1);

    // The DVN 500 analog models have no output function.
    if (!(family == kFamilyDvn500 && model->hasAnalogOutput))
        run({special(P, param::OutputFunction, E::OutputFunction, A::OkOr38, T::SetOutput)}, -1);
    const int32_t f = outputFunction;

    // Code 3 drives output 1 as well; its points are written, so they are read too.
    if (f >= 1 && f <= 3) {
        run(
            {
                number(cmd::ReadOnPoint, -1, &M::neOut1Einschaltpunkt, E::Fixed74, A::OkOr38Then0),
                number(cmd::ReadOffPoint, -1, &M::neOut1Ausschaltpunkt, E::Fixed74, A::OkOr38Then0),
                number(cmd::ReadDelay, -1, &M::neOut1Delay, E::Fixed74, A::OkOr38Then0),
                list(P, param::SwitchFunction1, &M::cbOut1Mode, A::OkOr38Then0),
                current ? list(cmd::ReadPreferredState, -1, &M::cbOut1Vorzugslage, A::OkOr38Then0)
                        : list(P, param::Out1Preferred, &M::cbOut1Vorzugslage, A::OkThen38Is0),
            },
            0);
    }
    if ((f == 1 || f == 2) && model->outputList != OutputList::Short && !m.deviceRelayOnly) {
        run(
            {
                number(cmd::ReadOnPoint, -1, &M::neOut2Einschaltpunkt, E::Fixed74, A::OkThen38Is0),
                number(cmd::ReadOffPoint, -1, &M::neOut2Ausschaltpunkt, E::Fixed74, A::OkThen38Is0),
                number(cmd::ReadDelay, -1, &M::neOut2Delay, E::Fixed74, A::OkThen38Is0),
                current ? list(cmd::ReadPreferredState, -1, &M::cbOut2Vorzugslage, A::OkOr38Then0)
                        : list(P, param::Out2Preferred, &M::cbOut2Vorzugslage, A::OkThen38Is0),
                list(P, param::SwitchFunction2, &M::cbOut2Mode, A::OkOr38Then0),
            },
            1);
    }
    if (f != 0 && f != 1 && f != 2 && family == kFamilyTrk520) {
        run(
            {
                number(cmd::ReadAlarmMax, -1, &M::neOut2Einschaltpunkt, E::Fixed74),
                number(cmd::ReadAlarmMin, -1, &M::neOut2Ausschaltpunkt, E::Fixed74),
                number(P, param::AlarmDelay, &M::neOut2Delay, E::Raw32),
            },
            -1);
    }
    if (model->hasAnalogOutput) {
        run(
            {
                always(list(P, param::CurrentRange, &M::cbStromAusgang, A::OkOld38Is0)),
                number(P, param::AnalogFilter, &M::neDAFilter, E::Raw16, A::OkOld38Is0),
                number(P, param::AnalogHigh, &M::neDAC_High, E::Raw16),
                number(P, param::AnalogLow, &M::neDAC_Low, E::Raw16),
                list(P, param::AnalogFailSafe, &M::cbAnalogOut1Vorzugslage, A::OkOr38),
            },
            -1);
    }
    if (model->hasPidController && m.devicePidActive && outputsActive) {
        run(
            {
                number(cmd::ReadOnPoint, -1, &M::nePID_SP1, E::Fixed74, A::OkOr38Then0, T::ClampSetPoint),
                number(cmd::ReadOffPoint, -1, &M::nePID_Proportional, E::Fixed74, A::OkOr38Then0,
                       T::ClampBand),
                list(P, param::ControllerFunction, &M::rgReglerFunktion, A::OkOr38Then0),
                number(P, param::PidThreshold, &M::nePIDthr, E::Raw16, A::OkOr38Then0),
                number(P, param::PidRunningTime, &M::nePIDdur, E::Raw16, A::OkOr38Then0),
                number(P, param::PidDerivative, &M::nePID_Derivation, E::Raw16, A::OkOr38Then0),
                number(P, param::PidCycle, &M::nePID_CyC, E::Raw16, A::OkOr38Then0),
                number(P, param::PidIntegral, &M::ne_PIDIntegral, E::Raw16, A::OkOr38Then0),
                list(cmd::ReadPreferredState, -1, &M::cbPID_Vorzugslage, A::OkOr38Then0),
            },
            0);
    }
}

void Readout::run(std::initializer_list<Step> steps, int output) {
    for (const Step& step : steps)
        runStep(step, output);
}

void Readout::runStep(const Step& step, int output) {
    if (!ok() && !step.always) return;

    // Every read starts from cleared operands carrying the parameter number or output index.
    const bool preferredState = step.command == cmd::ReadPreferredState;
    ops.aux = 0;
    ops.value = step.command == P ? step.p : preferredState ? std::max(output, 0) : 0.0;
    ops.integer = output >= 0 && step.command != P && !preferredState ? output : 0;
    // A step sent after a failure does not hide what failed.
    if (ok()) reading = {step.command, step.command == P ? step.p : -1, controlOf(step), {}};
    const int16_t answer = send(step.command);

    const bool unknown = answer == bus::status::UnknownParameter;
    const bool taken =
        answer >= 0 || (unknown && (step.applied == A::OkOr38 || step.applied == A::OkOr38Then0));
    const bool unknownIsOk = step.applied == A::OkOr38Then0 || step.applied == A::OkThen38Is0 ||
                             (step.applied == A::OkOld38Is0 && !isCurrentFirmware());
    const int16_t result = unknown && unknownIsOk ? int16_t(0) : answer;
    // A step sent whatever the status never hides an earlier failure, a -38 included.
    if (step.always)
        takeUnlessFailed(result);
    else
        running = result;

    if (taken) apply(step);
    // The set point and band are held to their limits whatever the answer.
    if (taken || step.then == T::ClampSetPoint || step.then == T::ClampBand) afterwards(step.then);
}

QString Readout::controlOf(const Step& step) const {
    if (step.list) return (m.*step.list).name;
    if (step.field) return (m.*step.field).name;
    switch (step.encoding) {
    case E::InputKind:
        return m.rgInput.name;
    case E::FilterAndEdge:
        return m.neFilter.name;
    case E::UnitMinusOne:
    case E::UnitCode:
        return m.cbAnzeigeUnit.name;
    case E::OutputFunction:
        return m.rgOutput.name;
    default:
        return {};
    }
}

void Readout::apply(const Step& step) {
    const int32_t answer = ops.integer;
    switch (step.encoding) {
    case E::Index:
        (m.*step.list).setItemIndex(answer);
        break;
    case E::Raw16:
        bus::showRawValue(a, m.*step.field, static_cast<int16_t>(answer));
        break;
    case E::Raw32:
        bus::showRawValue(a, m.*step.field, answer);
        break;
    case E::Fixed74:
        bus::showFixed(a, m.*step.field, ops.value, 7, 4);
        break;
    case E::Fixed42:
        bus::showFixed(a, m.*step.field, ops.value, 4, 2);
        break;
    case E::InputKind:
        m.rgInput.visible = true;
        m.rgInput.setItemIndex(bus::inputIndexFromDeviceCode(family, answer, m.deviceVersion));
        break;
    case E::FilterAndEdge:
        bus::showRawValue(a, m.neFilter, answer);
        m.cbEdge.setItemIndex(answer);
        break;
    case E::UnitMinusOne:
        m.cbAnzeigeUnit.setItemIndex(position(int64_t(answer) - 1));
        break;
    case E::UnitCode: {
        const int offset = answer >= kFlowUnitFirst && answer <= kFlowUnitLast ? kFlowUnitFirst : 1;
        m.cbAnzeigeUnit.setItemIndex(position(int64_t(answer) - offset));
        break;
    }
    case E::OutputFunction:
        // The short list shows code 4 at position 2; a code the list lacks selects nothing.
        outputFunction = answer;
        m.rgOutput.setItemIndex(catalogue::outputPosition(model->outputList, answer));
        if (m.rgOutput.itemIndex > 0) outputsActive = true;
        break;
    }
}

void Readout::afterwards(Then then) {
    switch (then) {
    case T::Nothing:
        break;
    case T::SetInput:
        a.aSetInput();
        break;
    case T::SetSensor:
        a.aSetSensor();
        break;
    case T::ResistanceThenDp:
        resistanceRule(ops.integer);
        a.aSetDp();
        break;
    case T::SetOutput:
        a.aSetOutput();
        break;
    case T::ClampSetPoint: {
        const auto [low, high] = a.displayRange();
        bus::clampShown(a, m.nePID_SP1, low, high);
        break;
    }
    case T::ClampBand: {
        const double scale = std::pow(10.0, m.neAnzeigeHigh.Nachkommastellen);
        bus::clampShown(a, m.nePID_Proportional, kMinCounts / scale, kMaxCounts / scale);
        break;
    }
    }
}

// The instrument knows only Pt100 and Pt1000; the decimals tell 0.1 K from 1 K.
void Readout::resistanceRule(int decimals) {
    const int sensor = m.rgSensor.itemIndex;
    if (m.rgInput.itemIndex != kResistance || (sensor != 0 && sensor != 1)) return;
    if (decimals != 0)
        m.rgSensor.setItemIndex(0);
    else if (family != kFamilyDvn20)
        m.rgSensor.setItemIndex(sensor + 1);
    a.aSetSensor();
    m.cpAnzeigeDp.setItemIndex(decimals);
}

// What the configuration sheet says of the instrument; the readout's own exchanges tell it all.
void Readout::rememberSource() {
    auto& s = m.source;
    s.kind = MainWindowModel::ConfigSource::Kind::Instrument;
    s.port = m.comPort;
    s.address = m.busAddress;
    s.identity = identity;
    s.firmware = firmware;
}

void Readout::report() {
    if (running == bus::status::InputNotSupported)
        showInPanel(
            QStringLiteral("Daten wurden nicht eingelesen, Geräteversion unterstützt Eingangssignal nicht"));
    else
        showInPanel(ok() ? resultText : failureText());
    // The library's text, asked while its port is still open.
    if (failure) failure->error = m.StatusBar1.panels[2];
}
