#pragma once

#include "bus/BusLibrary.h"

#include <QStringList>

#include <array>
#include <memory>

class LibraryModule;

// Binds the bus library `TRAXB32E` at run time: first in the given folders
// (the program's own folder), then through the system's library path. Every
// binding holds the loaded library for itself: unloading one binding frees the
// library only when no other binding still holds it, and an unloaded binding
// calls nothing.
class LibraryBinding : public BusLibrary {
public:
    static constexpr const char* kLibraryName = "TRAXB32E";

    // The entry points to resolve; the port window binds only SearchForComPorts.
    explicit LibraryBinding(QStringList folders = defaultFolders(), QList<Entry> entries = allEntries());
    ~LibraryBinding() override;

    static QStringList defaultFolders();

    bool load() override;
    void unload() override;
    bool isLoaded() const override;
    bool isBound(Entry e) const override;
    QString loadError() const override { return lastError; }

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
    int16_t GetMeasurement(int16_t address, double& value) override;

private:
    // Empty unless this binding holds the library and it is still there.
    QFunctionPointer pointer(Entry e) const;
    template <typename F> F entry(Entry e) const { return reinterpret_cast<F>(pointer(e)); }

    QStringList folders;
    QList<Entry> wanted;
    std::shared_ptr<LibraryModule> module; // this binding's hold on the loaded library
    std::array<QFunctionPointer, kEntryCount> pointers{};
    QString lastError;
};
