#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// The bus library's twelve entry points behind one interface. The real
// binding loads the shared library by file name; tests use a scripted fake.
// A call whose entry point is not bound sends nothing and returns
// bus::status::NotBound.
class BusLibrary {
public:
    enum class Entry {
        TBReadID,
        TBSysinit,
        TBTransmit,
        TBCloseCom,
        GetMeasurement,
        TBOpenCom,
        GetVersionNumber,
        SearchForComPorts,
        GetUnit,
        TBTransmitString,
        GetType,
        GetErrorMessageRet,
    };
    static constexpr int kEntryCount = 12;
    static const char* entryName(Entry e);
    static QList<Entry> allEntries();

    virtual ~BusLibrary() = default;

    // Frees a loaded module first, then loads and resolves the entry points.
    virtual bool load() = 0;
    // Frees the module and clears every entry point; nothing when not loaded.
    virtual void unload() = 0;
    virtual bool isLoaded() const = 0;
    virtual bool isBound(Entry e) const = 0;
    // Why the last load failed, for logs and tests.
    virtual QString loadError() const { return {}; }

    virtual int16_t TBOpenCom(int16_t port, int32_t baud, int16_t mode) = 0;
    virtual int16_t TBCloseCom() = 0;
    virtual int16_t TBTransmit(int16_t address, int16_t command, int16_t& aux, double& value, int32_t& integer) = 0;
    virtual QString GetErrorMessageRet(int16_t status) = 0;
    // Negative: the library does not know the type; otherwise `name` holds it.
    virtual int8_t GetType(int32_t identity, QString& name) = 0;
    virtual QString GetUnit(int16_t code) = 0;
    virtual uint16_t GetVersionNumber() = 0;
    virtual int8_t TBTransmitString(int16_t address, int16_t command, int16_t& aux, QString& text,
                                    int16_t& length) = 0;
    virtual int16_t SearchForComPorts(QList<int16_t>& ports) = 0;
    // The instrument's measured value; `value` is left alone unless the status is ok.
    // Not every binding offers it: then nothing is sent and the status is bus::status::NotBound.
    virtual int16_t GetMeasurement(int16_t address, double& value);
};
