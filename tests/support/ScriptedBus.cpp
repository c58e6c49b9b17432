#include "support/ScriptedBus.h"

#include "bus/BusConstants.h"
#include "config/ModelCatalogue.h"

ScriptedBus& ScriptedBus::on(int16_t command, int16_t status, std::optional<double> value,
                             std::optional<int32_t> integer, int times) {
    Answer a;
    a.command = command;
    a.status = status;
    a.value = value;
    a.integer = integer;
    a.times = times;
    return add(a);
}

ScriptedBus& ScriptedBus::onParam(double parameter, int16_t status, std::optional<int32_t> integer, int times) {
    Answer a;
    a.command = bus::cmd::Parameter;
    a.parameter = parameter;
    a.status = status;
    a.integer = integer;
    a.times = times;
    return add(a);
}

ScriptedBus& ScriptedBus::add(const Answer& a) {
    answers.append(a);
    return *this;
}

QList<ScriptedBus::Call> ScriptedBus::transmits() const {
    QList<Call> out;
    for (const Call& c : calls) {
        if (c.fn == QLatin1String("TBTransmit"))
            out.append(c);
    }
    return out;
}

QStringList ScriptedBus::trace() const {
    QStringList out;
    for (const Call& c : transmits())
        out.append(QStringLiteral("%1:%2:%3:%4=%5")
                       .arg(c.address)
                       .arg(c.command)
                       .arg(c.valueIn)
                       .arg(c.integerIn)
                       .arg(c.status));
    return out;
}

bool ScriptedBus::load() {
    if (loaded)
        unload();
    ++loads;
    loaded = loadSucceeds;
    return loaded;
}

void ScriptedBus::unload() {
    if (!loaded)
        return;
    ++unloads;
    loaded = false;
}

int16_t ScriptedBus::TBOpenCom(int16_t port, int32_t baud, int16_t mode) {
    Call c;
    c.fn = QStringLiteral("TBOpenCom");
    c.address = port;
    c.integerIn = baud;
    c.command = mode;
    c.status = loaded ? openStatus : bus::status::NotBound;
    calls.append(c);
    return c.status;
}

int16_t ScriptedBus::TBCloseCom() {
    Call c;
    c.fn = QStringLiteral("TBCloseCom");
    c.status = loaded ? 0 : bus::status::NotBound;
    calls.append(c);
    return c.status;
}

int16_t ScriptedBus::TBTransmit(int16_t address, int16_t command, int16_t& aux, double& value, int32_t& integer) {
    Call c;
    c.fn = QStringLiteral("TBTransmit");
    c.address = address;
    c.command = command;
    c.auxIn = aux;
    c.valueIn = value;
    c.integerIn = integer;
    c.status = defaultStatus;
    if (!loaded) {
        c.status = bus::status::NotBound;
    } else {
        for (Answer& a : answers) {
            if (a.times == 0)
                continue;
            if (a.command && *a.command != command)
                continue;
            if (a.address && *a.address != address)
                continue;
            if (a.parameter && *a.parameter != value)
                continue;
            if (a.times > 0)
                --a.times;
            c.status = a.status;
            if (a.value)
                value = *a.value;
            if (a.integer)
                integer = *a.integer;
            break;
        }
    }
    c.auxOut = aux;
    c.valueOut = value;
    c.integerOut = integer;
    calls.append(c);
    return c.status;
}

QString ScriptedBus::GetErrorMessageRet(int16_t status) {
    Call c;
    c.fn = QStringLiteral("GetErrorMessageRet");
    c.status = status;
    calls.append(c);
    return errorTexts.value(status, QStringLiteral("Fehlertext %1").arg(status));
}

int8_t ScriptedBus::GetType(int32_t identity, QString& name) {
    Call c;
    c.fn = QStringLiteral("GetType");
    c.integerIn = identity;
    const auto it = typeNames.find(identity & kFamilyMask);
    c.status = it == typeNames.end() ? -1 : 0;
    if (it != typeNames.end())
        name = *it;
    calls.append(c);
    return static_cast<int8_t>(c.status);
}

QString ScriptedBus::GetUnit(int16_t code) {
    Call c;
    c.fn = QStringLiteral("GetUnit");
    c.command = code;
    calls.append(c);
    return units.value(code, QStringLiteral(" "));
}

uint16_t ScriptedBus::GetVersionNumber() {
    Call c;
    c.fn = QStringLiteral("GetVersionNumber");
    calls.append(c);
    return version;
}

int8_t ScriptedBus::TBTransmitString(int16_t address, int16_t command, int16_t&, QString& text, int16_t& length) {
    Call c;
    c.fn = QStringLiteral("TBTransmitString");
    c.address = address;
    c.command = command;
    c.integerIn = length;
    if (!name) {
        c.status = -1;
    } else if (command == bus::namecmd::Read) {
        text = *name;
        length = static_cast<int16_t>(name->size());
    } else if (command == bus::namecmd::Write) {
        name = text.left(16);
    }
    c.text = text;
    calls.append(c);
    return static_cast<int8_t>(c.status);
}

int16_t ScriptedBus::SearchForComPorts(QList<int16_t>& out) {
    Call c;
    c.fn = QStringLiteral("SearchForComPorts");
    c.status = loaded ? portsStatus : bus::status::NotBound;
    calls.append(c);
    if (c.status >= 0)
        out = ports;
    return c.status;
}
