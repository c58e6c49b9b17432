#pragma once

#include "bus/BusLibrary.h"
#include "bus/CallLog.h"

#include <string_view>

#include <functional>
#include <memory>

// Wraps any binding of the bus library and adds every entry-point call to the
// program's call log (arguments, status, operands out, and the library's own
// text for a failed status). It sits on the program's side, so it works with
// every library, not only ours.
class LoggingLibrary : public BusLibrary {
  public:
    LoggingLibrary(std::unique_ptr<BusLibrary> inner, CallLog& log);

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
    int16_t GetMeasurement(int16_t address, double& value) override;

  private:
    BusCall begin(const char* fn) const;
    // Times the library's part of the call, then adds it to the log.
    template <typename Call> auto timed(BusCall& call, Call&& inner);
    void finish(BusCall& call, int status, bool failed);

    std::unique_ptr<BusLibrary> inner;
    CallLog& log;
    int port = -1;
};
