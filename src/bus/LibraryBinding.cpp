#include "bus/LibraryBinding.h"

#include "bus/BusConstants.h"
#include "config/Cp1252.h"
#include "traxbus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <cstring>
#include <map>

namespace {

constexpr int kTextBuffer = 256;
constexpr int kUnitBuffer = 10;
constexpr int kMaxPorts = 256;

} // namespace

// One loaded library file, shared by every binding that loaded it. QLibrary objects of
// one file name share a single handle, and an unload through any of them frees the
// module for all; so the program unloads only here, when the last binding lets go.
class LibraryModule {
  public:
    explicit LibraryModule(const QString& fileName) : library(fileName) {}
    ~LibraryModule() { library.unload(); }
    LibraryModule(const LibraryModule&) = delete;
    LibraryModule& operator=(const LibraryModule&) = delete;

    // The module of this file name, loaded by the first binding that asks for it;
    // null with the loader's reason when it cannot be loaded. One thread only.
    static std::shared_ptr<LibraryModule> hold(const QString& fileName, QString& error) {
        static std::map<QString, std::weak_ptr<LibraryModule>> held;
        std::weak_ptr<LibraryModule>& slot = held[fileName];
        if (std::shared_ptr<LibraryModule> module = slot.lock()) return module;
        auto module = std::make_shared<LibraryModule>(fileName);
        if (!module->library.load()) {
            error = module->library.errorString();
            return nullptr;
        }
        slot = module;
        return module;
    }

    QLibrary library;
};

const char* BusLibrary::entryName(Entry e) {
    static const char* const names[kEntryCount] = {
        "TBReadID",  "TBSysinit",         "TBTransmit", "TBCloseCom",       "GetMeasurement", "TBOpenCom",
        "GetVersionNumber", "SearchForComPorts", "GetUnit", "TBTransmitString", "GetType", "GetErrorMessageRet"};
    return names[static_cast<int>(e)];
}

LibraryBinding::LibraryBinding(QStringList searchFolders, QList<Entry> entries)
    : folders(std::move(searchFolders)), wanted(std::move(entries)) {}

LibraryBinding::~LibraryBinding() = default; // lets go of the library as unload() does

QStringList LibraryBinding::defaultFolders() {
    if (QCoreApplication::instance())
        return {QCoreApplication::applicationDirPath()};
    return {};
}

int16_t BusLibrary::GetMeasurement(int16_t, double&) {
    return bus::status::NotBound;
}

QList<BusLibrary::Entry> BusLibrary::allEntries() {
    QList<Entry> all;
    for (int i = 0; i < kEntryCount; ++i)
        all.append(static_cast<Entry>(i));
    return all;
}

bool LibraryBinding::load() {
    unload();
    QStringList candidates;
    for (const QString& folder : folders)
        candidates.append(QDir(folder).filePath(QLatin1String(kLibraryName)));
    candidates.append(QLatin1String(kLibraryName)); // system library path
    QStringList errors;
    for (const QString& candidate : candidates) {
        QString error;
        module = LibraryModule::hold(candidate, error);
        if (module)
            break;
        errors.append(error);
    }
    if (!module) {
        lastError = errors.join(QLatin1Char('\n'));
        return false;
    }
    for (Entry e : wanted)
        pointers[static_cast<int>(e)] = module->library.resolve(entryName(e));
    lastError.clear();
    return true;
}

void LibraryBinding::unload() {
    module.reset();
    pointers.fill(nullptr);
}

bool LibraryBinding::isLoaded() const { return module && module->library.isLoaded(); }

QFunctionPointer LibraryBinding::pointer(Entry e) const {
    return isLoaded() ? pointers[static_cast<int>(e)] : nullptr;
}

bool LibraryBinding::isBound(Entry e) const { return pointer(e) != nullptr; }

int16_t LibraryBinding::TBOpenCom(int16_t port, int32_t baud, int16_t mode) {
    auto f = entry<TBOpenCom_t>(Entry::TBOpenCom);
    return f ? f(port, baud, mode) : bus::status::NotBound;
}

int16_t LibraryBinding::TBCloseCom() {
    auto f = entry<TBCloseCom_t>(Entry::TBCloseCom);
    return f ? f() : bus::status::NotBound;
}

int16_t LibraryBinding::TBTransmit(int16_t address, int16_t command, int16_t& aux, double& value,
                                   int32_t& integer) {
    auto f = entry<TBTransmit_t>(Entry::TBTransmit);
    return f ? f(address, command, &aux, &value, &integer) : bus::status::NotBound;
}

QString LibraryBinding::GetErrorMessageRet(int16_t status) {
    auto f = entry<GetErrorMessageRet_t>(Entry::GetErrorMessageRet);
    // Starts with a blank like every text of the library, so "(Fehler -9990)" reads the same way.
    if (!f)
        return QStringLiteral(" Bus-Bibliothek nicht geladen");
    char buffer[kTextBuffer + 1] = {};
    f(status, buffer);
    return cp1252::decode(buffer, kTextBuffer);
}

int8_t LibraryBinding::GetType(int32_t identity, QString& name) {
    auto f = entry<GetType_t>(Entry::GetType);
    if (!f)
        return -1;
    char buffer[kTextBuffer + 1] = {};
    const int8_t result = f(identity, buffer);
    if (result >= 0)
        name = cp1252::decode(buffer, kTextBuffer);
    return result;
}

QString LibraryBinding::GetUnit(int16_t code) {
    auto f = entry<GetUnit_t>(Entry::GetUnit);
    if (!f)
        return QStringLiteral("?");
    char buffer[kUnitBuffer + 1] = {};
    f(code, buffer);
    return cp1252::decode(buffer, kUnitBuffer);
}

uint16_t LibraryBinding::GetVersionNumber() {
    auto f = entry<GetVersionNumber_t>(Entry::GetVersionNumber);
    return f ? f() : 0;
}

int8_t LibraryBinding::TBTransmitString(int16_t address, int16_t command, int16_t& aux, QString& text,
                                        int16_t& length) {
    auto f = entry<TBTransmitString_t>(Entry::TBTransmitString);
    if (!f)
        return -1;
    char buffer[kTextBuffer + 1] = {};
    const QByteArray bytes = cp1252::encode(text).left(kTextBuffer - 1);
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(bytes.size()));
    const int8_t result = f(address, command, &aux, buffer, &length);
    text = cp1252::decode(buffer, kTextBuffer);
    return result;
}

int16_t LibraryBinding::SearchForComPorts(QList<int16_t>& ports) {
    auto f = entry<SearchForComPorts_t>(Entry::SearchForComPorts);
    if (!f)
        return bus::status::NotBound;
    int16_t buffer[kMaxPorts] = {};
    int16_t count = 0;
    const int16_t result = f(buffer, &count);
    ports.clear();
    if (result >= 0) {
        for (int i = 0; i < count && i < kMaxPorts; ++i)
            ports.append(buffer[i]);
    }
    return result;
}

int16_t LibraryBinding::GetMeasurement(int16_t address, double& value) {
    auto f = entry<GetMeasurement_t>(Entry::GetMeasurement);
    if (!f)
        return bus::status::NotBound;
    double answer = value;
    const int16_t result = f(address, &answer);
    if (result >= 0)
        value = answer;
    return result;
}
