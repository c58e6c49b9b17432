#include "bus/LoggingLibrary.h"

LoggingLibrary::LoggingLibrary(std::unique_ptr<BusLibrary> library, CallLog& callLog)
    : inner(std::move(library)), log(callLog) {}

BusCall LoggingLibrary::begin(const char* fn) const {
    BusCall call;
    call.fn = fn;
    call.port = port;
    call.atUs = log.elapsedUs();
    return call;
}

template <typename Call> auto LoggingLibrary::timed(BusCall& call, Call&& f) {
    const qint64 start = log.elapsedUs();
    auto result = f();
    call.tookUs = log.elapsedUs() - start;
    return result;
}

void LoggingLibrary::finish(BusCall& call, int status, bool failed) {
    call.status = status;
    call.failed = failed;
    // The text is asked for behind the log's back, so it does not appear as a call of its own.
    if (failed && call.fn != std::string_view("load") && inner->isBound(Entry::GetErrorMessageRet))
        call.errorText = inner->GetErrorMessageRet(static_cast<int16_t>(status));
    log.add(std::move(call));
}

bool LoggingLibrary::load() {
    BusCall call = begin("load");
    const bool ok = timed(call, [&] { return inner->load(); });
    if (!ok) call.textOut = inner->loadError();
    finish(call, ok ? 0 : -1, !ok);
    return ok;
}

void LoggingLibrary::unload() {
    inner->unload();
}

int16_t LoggingLibrary::TBOpenCom(int16_t portNumber, int32_t baud, int16_t mode) {
    port = portNumber;
    BusCall call = begin("TBOpenCom");
    call.integerIn = baud;
    call.auxIn = mode;
    const int16_t status = timed(call, [&] { return inner->TBOpenCom(portNumber, baud, mode); });
    finish(call, status, status < 0);
    return status;
}

int16_t LoggingLibrary::TBCloseCom() {
    BusCall call = begin("TBCloseCom");
    const int16_t status = timed(call, [&] { return inner->TBCloseCom(); });
    finish(call, status, status < 0);
    return status;
}

int16_t LoggingLibrary::TBTransmit(int16_t address, int16_t command, int16_t& aux, double& value,
                                   int32_t& integer) {
    BusCall call = begin("TBTransmit");
    call.address = address;
    call.command = command;
    call.auxIn = aux;
    call.valueIn = value;
    call.integerIn = integer;
    const int16_t status =
        timed(call, [&] { return inner->TBTransmit(address, command, aux, value, integer); });
    call.auxOut = aux;
    call.valueOut = value;
    call.integerOut = integer;
    finish(call, status, status < 0);
    return status;
}

QString LoggingLibrary::GetErrorMessageRet(int16_t status) {
    BusCall call = begin("GetErrorMessageRet");
    call.integerIn = status;
    call.textOut = timed(call, [&] { return inner->GetErrorMessageRet(status); });
    const QString text = call.textOut;
    finish(call, 0, false);
    return text;
}

int8_t LoggingLibrary::GetType(int32_t identity, QString& name) {
    BusCall call = begin("GetType");
    call.integerIn = identity;
    const int8_t status = timed(call, [&] { return inner->GetType(identity, name); });
    call.textOut = name;
    finish(call, status, false);
    return status;
}

QString LoggingLibrary::GetUnit(int16_t code) {
    BusCall call = begin("GetUnit");
    call.integerIn = code;
    call.textOut = timed(call, [&] { return inner->GetUnit(code); });
    const QString unit = call.textOut;
    finish(call, 0, false);
    return unit;
}

uint16_t LoggingLibrary::GetVersionNumber() {
    BusCall call = begin("GetVersionNumber");
    const uint16_t version = timed(call, [&] { return inner->GetVersionNumber(); });
    finish(call, version, false);
    return version;
}

int8_t LoggingLibrary::TBTransmitString(int16_t address, int16_t command, int16_t& aux, QString& text,
                                        int16_t& length) {
    BusCall call = begin("TBTransmitString");
    call.address = address;
    call.command = command;
    call.auxIn = aux;
    call.textIn = text;
    call.integerIn = length;
    const int8_t status =
        timed(call, [&] { return inner->TBTransmitString(address, command, aux, text, length); });
    call.auxOut = aux;
    call.textOut = text;
    call.integerOut = length;
    finish(call, status, status < 0);
    return status;
}

int16_t LoggingLibrary::SearchForComPorts(QList<int16_t>& ports) {
    BusCall call = begin("SearchForComPorts");
    const int16_t status = timed(call, [&] { return inner->SearchForComPorts(ports); });
    QStringList found;
    for (int16_t p : ports)
        found.append(QString::number(p));
    call.textOut = found.join(QLatin1Char(' '));
    finish(call, status, status < 0);
    return status;
}

int16_t LoggingLibrary::GetMeasurement(int16_t address, double& value) {
    BusCall call = begin("GetMeasurement");
    call.address = address;
    call.valueIn = value;
    const int16_t status = timed(call, [&] { return inner->GetMeasurement(address, value); });
    call.valueOut = value;
    finish(call, status, status < 0);
    return status;
}
