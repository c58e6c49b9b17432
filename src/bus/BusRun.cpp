#include "bus/BusRun.h"

#include "bus/BusPort.h"
#include "bus/Identification.h"
#include "bus/Reach.h"
#include "config/NumberFormat.h"

BusRun::BusRun(BusLibrary& library, ConfigActions& actions, Prompter& prompter, Clock& clock)
    : lib(library), a(actions), m(actions.model()), prompter(prompter), clock(clock),
      model(m.checkedModel()) {
    ops.value = 1.0;
    m.deviceIdentity = 0;
}

void BusRun::takeUnlessFailed(int16_t answer) {
    if (running >= 0) running = answer;
}

void BusRun::announce(const char* ModelEntry::*progress) {
    if (model) family = model->family;
    showInPanel(model ? QString::fromUtf8(model->*progress) : QStringLiteral("Unbekanntes Gerät!"));
}

bool BusRun::reach(int32_t preset, const std::function<void()>& afterOpen) {
    bus::ReachPlan plan;
    plan.comPort = m.comPort;
    plan.converterCode = m.converterCode;
    plan.clock = &clock;
    plan.askAddress = m.busAddress < (m.addressChosen ? 0 : 1);
    plan.addressPreset = preset;
    plan.afterOpen = [&](int16_t opened) {
        running = opened;
        if (afterOpen) afterOpen();
        m.expectedFeatures = 0;
        // Nothing is read or written without a selected model.
        if (!model) running = bus::status::NoModel;
        return running;
    };
    plan.readIdentity = [&] {
        bus::buildExpectedFeatures(m);
        return bus::checkConnectedDevice(lib, prompter, m, family, ops);
    };
    running = bus::reachInstrument(lib, plan, m.busAddress, ops).status();
    return !m.deviceMismatch;
}

void BusRun::readVersion() {
    ops.value = 0.0;
    ops.integer = 0;
    const int16_t answer = send(bus::cmd::ReadVersion);
    if (answer >= 0) m.deviceVersion = ops.value;
    takeUnlessFailed(answer);
}

void BusRun::readIdentity() {
    if (!ok()) return;
    ops.value = 0.0;
    ops.integer = 0;
    running = send(bus::cmd::ReadIdentity);
    if (!ok()) return;
    identity = ops.integer;
    m.deviceIdentity = identity;
    resultText = m.lMainCaption.caption + QStringLiteral(" Seriennummer: ") + bus::serialText(ops.integer);
    ops.value = 0.0;
    ops.integer = 0;
    running = send(bus::cmd::ReadVersion);
    if (ok()) firmware = ops.value;
    if (ok())
        resultText += QStringLiteral(", Version: ") + NumberFormat::formatShortest(ops.value, a.separator()) +
                      QStringLiteral(".");
}

QString BusRun::failureText() const {
    if (running == bus::status::DeviceMismatch)
        return QStringLiteral("Fehler gewählter Gerätetyp entspricht nicht angeschlossenem Gerätetyp");
    return bus::errorText(lib, running);
}

void BusRun::showInPanel(const QString& text) {
    m.StatusBar1.panels[2] = text;
    a.repaintStatusBar();
}
