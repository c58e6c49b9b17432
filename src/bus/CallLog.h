#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// One call the program made into the bus library, as the bus monitor shows it.
struct BusCall {
    quint64 serial = 0;  // counts every call since the log began, cleared or not
    qint64 atUs = 0;     // since the log began (or was cleared)
    qint64 tookUs = 0;   // inside the library
    const char* fn = ""; // entry point ("load" for loading the library)
    int port = -1;       // the port opened last through this binding; -1: none
    int address = -1;    // -1: the call names no instrument
    int command = -1;
    int auxIn = 0, auxOut = 0;
    double valueIn = 0, valueOut = 0;
    int32_t integerIn = 0, integerOut = 0;
    QString textIn, textOut; // strings, units, type names, ports found, the load error
    int status = 0;
    bool failed = false;
    QString errorText; // the library's own text for a failed status

    // The line --trace writes: entry point, arguments in, status, operands out, failure text,
    // and when (atUs) and for how long (tookUs) the library had the call.
    QJsonObject toJson() const;
    // A call that went to an instrument (TBTransmit, TBTransmitString): what bus progress counts.
    bool isExchange() const;
};

// The program's log of every bus library call: a ring of the last `capacity`
// calls, so a long session keeps its memory flat. Every binding of the program
// writes into one log; listeners hear each call as it is added.
class CallLog {
  public:
    explicit CallLog(int capacity = 10000);

    void add(BusCall call);
    void clear();
    int size() const { return static_cast<int>(count); }
    int capacity() const { return static_cast<int>(ring.size()); }
    // index 0 is the oldest call still kept.
    const BusCall& at(int index) const;
    // Microseconds since the log began or was last cleared.
    qint64 elapsedUs() const { return started.nsecsElapsed() / 1000; }

    using Listener = std::function<void(const BusCall&)>;
    void listen(Listener listener) { listeners.push_back(std::move(listener)); }

  private:
    std::vector<BusCall> ring;
    size_t head = 0; // where the next call goes
    size_t count = 0;
    quint64 serial = 0;
    QElapsedTimer started;
    std::vector<Listener> listeners;
};
