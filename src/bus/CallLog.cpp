#include "bus/CallLog.h"

#include <QJsonArray>

#include <cstring>

bool BusCall::isExchange() const {
    return std::strcmp(fn, "TBTransmit") == 0 || std::strcmp(fn, "TBTransmitString") == 0;
}

QJsonObject BusCall::toJson() const {
    QJsonObject in;
    QJsonObject out;
    const auto is = [this](const char* name) { return std::strcmp(fn, name) == 0; };
    if (is("load")) {
        if (failed) out.insert(QStringLiteral("error"), textOut);
    } else if (is("TBOpenCom")) {
        in = {{QStringLiteral("port"), port},
              {QStringLiteral("baud"), integerIn},
              {QStringLiteral("mode"), auxIn}};
    } else if (is("TBTransmit")) {
        in = {{QStringLiteral("address"), address},
              {QStringLiteral("command"), command},
              {QStringLiteral("aux"), auxIn},
              {QStringLiteral("value"), valueIn},
              {QStringLiteral("integer"), integerIn}};
        out = {{QStringLiteral("aux"), auxOut},
               {QStringLiteral("value"), valueOut},
               {QStringLiteral("integer"), integerOut}};
    } else if (is("TBTransmitString")) {
        in = {{QStringLiteral("address"), address},
              {QStringLiteral("command"), command},
              {QStringLiteral("aux"), auxIn},
              {QStringLiteral("text"), textIn},
              {QStringLiteral("length"), integerIn}};
        out = {{QStringLiteral("aux"), auxOut},
               {QStringLiteral("text"), textOut},
               {QStringLiteral("length"), integerOut}};
    } else if (is("GetErrorMessageRet")) {
        in = {{QStringLiteral("status"), integerIn}};
        out = {{QStringLiteral("text"), textOut}};
    } else if (is("GetType")) {
        in = {{QStringLiteral("identity"), integerIn}};
        out = {{QStringLiteral("text"), textOut}};
    } else if (is("GetUnit")) {
        in = {{QStringLiteral("code"), integerIn}};
        out = {{QStringLiteral("text"), textOut}};
    } else if (is("SearchForComPorts")) {
        QJsonArray found;
        for (const QString& p : textOut.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            found.append(p.toInt());
        out = {{QStringLiteral("ports"), found}};
    }
    QJsonObject line{{QStringLiteral("fn"), QLatin1String(fn)},
                     {QStringLiteral("in"), in},
                     {QStringLiteral("status"), status},
                     {QStringLiteral("out"), out}};
    if (failed && !errorText.isNull()) line.insert(QStringLiteral("text"), errorText);
    line.insert(QStringLiteral("atUs"), atUs);
    line.insert(QStringLiteral("tookUs"), tookUs);
    return line;
}

CallLog::CallLog(int capacity) : ring(static_cast<size_t>(capacity > 0 ? capacity : 1)) {
    started.start();
}

void CallLog::add(BusCall call) {
    call.serial = ++serial;
    BusCall& slot = ring[head];
    slot = std::move(call);
    head = (head + 1) % ring.size();
    if (count < ring.size()) ++count;
    for (const Listener& l : listeners)
        l(slot);
}

void CallLog::clear() {
    // Fresh slots, so the texts of the cleared calls are freed too.
    std::vector<BusCall>(ring.size()).swap(ring);
    head = 0;
    count = 0;
    started.restart();
}

const BusCall& CallLog::at(int index) const {
    const size_t oldest = (head + ring.size() - count) % ring.size();
    return ring[(oldest + static_cast<size_t>(index)) % ring.size()];
}
