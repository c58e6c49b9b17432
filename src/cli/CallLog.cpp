#include "cli/CallLog.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

CallLog::CallLog(std::unique_ptr<BusLibrary> library, QString fileName,
                 std::function<void(const char*)> heard)
    : inner(std::move(library)), file(std::move(fileName)), onCall(std::move(heard)) {}

void CallLog::record(const char* fn, const QJsonObject& in, int status, const QJsonObject& out, bool failed) {
    if (onCall) onCall(fn);
    if (file.isEmpty()) return;
    QJsonObject line{{QStringLiteral("fn"), QLatin1String(fn)},
                     {QStringLiteral("in"), in},
                     {QStringLiteral("status"), status},
                     {QStringLiteral("out"), out}};
    // The text is asked for behind the log's back, so it does not appear as a call of its own.
    if (failed && inner->isBound(Entry::GetErrorMessageRet))
        line.insert(QStringLiteral("text"), inner->GetErrorMessageRet(static_cast<int16_t>(status)));
    // Opened per line: several bindings of one run share the file, and a crash keeps every line.
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        f.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
}

bool CallLog::load() {
    const bool ok = inner->load();
    record("load", {}, ok ? 0 : -1,
           ok ? QJsonObject{} : QJsonObject{{QStringLiteral("error"), inner->loadError()}}, false);
    return ok;
}

void CallLog::unload() {
    inner->unload();
}

int16_t CallLog::TBOpenCom(int16_t port, int32_t baud, int16_t mode) {
    const int16_t status = inner->TBOpenCom(port, baud, mode);
    record("TBOpenCom",
           {{QStringLiteral("port"), port}, {QStringLiteral("baud"), baud}, {QStringLiteral("mode"), mode}},
           status, {}, status < 0);
    return status;
}

int16_t CallLog::TBCloseCom() {
    const int16_t status = inner->TBCloseCom();
    record("TBCloseCom", {}, status, {}, status < 0);
    return status;
}

int16_t CallLog::TBTransmit(int16_t address, int16_t command, int16_t& aux, double& value, int32_t& integer) {
    const QJsonObject in{{QStringLiteral("address"), address},
                         {QStringLiteral("command"), command},
                         {QStringLiteral("aux"), aux},
                         {QStringLiteral("value"), value},
                         {QStringLiteral("integer"), integer}};
    const int16_t status = inner->TBTransmit(address, command, aux, value, integer);
    record("TBTransmit", in, status,
           {{QStringLiteral("aux"), aux},
            {QStringLiteral("value"), value},
            {QStringLiteral("integer"), integer}},
           status < 0);
    return status;
}

QString CallLog::GetErrorMessageRet(int16_t status) {
    const QString text = inner->GetErrorMessageRet(status);
    record("GetErrorMessageRet", {{QStringLiteral("status"), status}}, 0, {{QStringLiteral("text"), text}},
           false);
    return text;
}

int8_t CallLog::GetType(int32_t identity, QString& name) {
    const int8_t status = inner->GetType(identity, name);
    record("GetType", {{QStringLiteral("identity"), identity}}, status, {{QStringLiteral("text"), name}},
           false);
    return status;
}

QString CallLog::GetUnit(int16_t code) {
    const QString unit = inner->GetUnit(code);
    record("GetUnit", {{QStringLiteral("code"), code}}, 0, {{QStringLiteral("text"), unit}}, false);
    return unit;
}

uint16_t CallLog::GetVersionNumber() {
    const uint16_t version = inner->GetVersionNumber();
    record("GetVersionNumber", {}, version, {}, false);
    return version;
}

int8_t CallLog::TBTransmitString(int16_t address, int16_t command, int16_t& aux, QString& text,
                                 int16_t& length) {
    const QJsonObject in{{QStringLiteral("address"), address},
                         {QStringLiteral("command"), command},
                         {QStringLiteral("aux"), aux},
                         {QStringLiteral("text"), text},
                         {QStringLiteral("length"), length}};
    const int8_t status = inner->TBTransmitString(address, command, aux, text, length);
    record("TBTransmitString", in, status,
           {{QStringLiteral("aux"), aux}, {QStringLiteral("text"), text}, {QStringLiteral("length"), length}},
           status < 0);
    return status;
}

int16_t CallLog::SearchForComPorts(QList<int16_t>& ports) {
    const int16_t status = inner->SearchForComPorts(ports);
    QJsonArray found;
    for (int16_t p : ports)
        found.append(p);
    record("SearchForComPorts", {}, status, {{QStringLiteral("ports"), found}}, status < 0);
    return status;
}
