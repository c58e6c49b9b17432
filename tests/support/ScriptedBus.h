#pragma once

#include "bus/BusLibrary.h"

#include <QList>
#include <QMap>
#include <QString>

#include <functional>
#include <optional>

// A bus library that answers from a script and records every call, so a
// command sequence can be checked call by call.
class ScriptedBus : public BusLibrary {
public:
    struct Call {
        QString fn;
        int16_t address = 0;
        int16_t command = 0;
        int16_t auxIn = 0;
        double valueIn = 0;
        int32_t integerIn = 0;
        int16_t status = 0;
        int16_t auxOut = 0;
        double valueOut = 0;
        int32_t integerOut = 0;
        QString text; // TBTransmitString text out, GetType/GetUnit argument echo
    };

    // One scripted answer to TBTransmit. Unset match fields match anything;
    // `parameter` matches command 248 calls whose value is that number.
    struct Answer {
        std::optional<int16_t> command;
        std::optional<int16_t> address;
        std::optional<double> parameter;
        int16_t status = 0;
        std::optional<double> value;
        std::optional<int32_t> integer;
        int times = 1; // -1: every time
    };

    // --- script -----------------------------------------------------------------
    // Answers are tried in order; the first matching one with uses left answers.
    ScriptedBus& on(int16_t command, int16_t status = 0, std::optional<double> value = {},
                    std::optional<int32_t> integer = {}, int times = 1);
    ScriptedBus& onParam(double parameter, int16_t status = 0, std::optional<int32_t> integer = {}, int times = 1);
    ScriptedBus& add(const Answer& a);
    // Status for calls no answer matches (operands left unchanged).
    int16_t defaultStatus = 0;

    bool loadSucceeds = true;
    bool bindAll = true;
    uint16_t version = 0x0170;
    int16_t openStatus = 0;
    QMap<int16_t, QString> errorTexts; // GetErrorMessageRet
    QMap<int32_t, QString> typeNames;  // GetType by identity word masked with the family mask
    QMap<int, QString> units;          // GetUnit; others give " "
    QList<int16_t> ports{1, 2};
    int16_t portsStatus = 0;

    // --- record -----------------------------------------------------------------
    QList<Call> calls;
    int loads = 0;
    int unloads = 0;
    // Only TBTransmit calls, as (address, command, value in) triples for compact asserts.
    QList<Call> transmits() const;
    QStringList trace() const; // "addr:cmd:valueIn:intIn=status" per TBTransmit

    bool load() override;
    void unload() override;
    bool isLoaded() const override { return loaded; }
    bool isBound(Entry) const override { return loaded && bindAll; }

    int16_t TBOpenCom(int16_t port, int32_t baud, int16_t mode) override;
    int16_t TBCloseCom() override;
    int16_t TBTransmit(int16_t address, int16_t command, int16_t& aux, double& value, int32_t& integer) override;
    QString GetErrorMessageRet(int16_t status) override;
    int8_t GetType(int32_t identity, QString& name) override;
    QString GetUnit(int16_t code) override;
    uint16_t GetVersionNumber() override;
    int8_t TBTransmitString(int16_t address, int16_t command, int16_t& aux, QString& text,
                            int16_t& length) override;
    int16_t SearchForComPorts(QList<int16_t>& ports) override;

    // TBTransmitString behaviour: the stored name; nullopt = names not supported.
    std::optional<QString> name = QStringLiteral("Kessel 1");

private:
    bool loaded = false;
    QList<Answer> answers;
};
