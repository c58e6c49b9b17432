#pragma once

#include "bus/BusLibrary.h"

#include <QJsonObject>

#include <functional>
#include <memory>

// The bus monitor of the program: wraps any binding of the bus library and
// appends one JSON line per entry-point call to a file (entry point, arguments,
// status, operands out, and the library's own text for a failed status). It sits
// on the program's side, so it works with every library, not only ours.
class CallLog : public BusLibrary {
  public:
    // file empty: nothing is written; onCall (optional) hears the name of every call made.
    CallLog(std::unique_ptr<BusLibrary> inner, QString file, std::function<void(const char*)> onCall = {});

    bool load() override;
    void unload() override;
    bool isLoaded() const override { return inner->isLoaded(); }
    bool isBound(Entry e) const override { return inner->isBound(e); }
    QString loadError() const override { return inner->loadError(); }

    int16_t TBOpenCom(int16_t port, int32_t baud, int16_t mode) override;
    int16_t TBCloseCom() override;
    int16_t TBTransmit(int16_t address, int16_t command, int16_t& aux, double& value,
                       int32_t& integer) override;
    QString GetErrorMessageRet(int16_t status) override;
    int8_t GetType(int32_t identity, QString& name) override;
    QString GetUnit(int16_t code) override;
    uint16_t GetVersionNumber() override;
    int8_t TBTransmitString(int16_t address, int16_t command, int16_t& aux, QString& text,
                            int16_t& length) override;
    int16_t SearchForComPorts(QList<int16_t>& ports) override;

  private:
    void record(const char* fn, const QJsonObject& in, int status, const QJsonObject& out, bool failed);

    std::unique_ptr<BusLibrary> inner;
    QString file;
    std::function<void(const char*)> onCall;
};
