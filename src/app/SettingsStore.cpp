#include "app/SettingsStore.h"

#include "config/NumberFormat.h"

#include "config/Prompter.h"

#include <QDir>
#include <QSettings>

#include <algorithm>
#include <limits>

namespace {

constexpr int kFolderCapacity = 260;
constexpr int kValueCapacity = 255;
const char* const kGroups[] = {"Schnittstelle", "Extras", "SpecialFunctions", "User", "System", "Temp"};

// "Schnittstelle\" -> "Schnittstelle"; the names compare without case, like registry keys.
std::optional<QString> groupFor(const QString& subKey) {
    QString name = subKey;
    while (name.endsWith(QLatin1Char('\\')))
        name.chop(1);
    for (const char* g : kGroups) {
        if (name.compare(QLatin1String(g), Qt::CaseInsensitive) == 0) return QString::fromLatin1(g);
    }
    return std::nullopt;
}

QString keyPath(const QString& group, const QString& valueName) {
    return QStringLiteral("[%1] %2").arg(group, valueName);
}

} // namespace

SettingsStore::SettingsStore(const QString& filePath, Prompter& p, std::function<QString()> folder)
    : file(filePath), prompter(p), workingFolder(std::move(folder)) {}

QString SettingsStore::defaultPath() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Halvora"),
                     QStringLiteral("Trk_Dvn_Konfigurationsprogramm"))
        .fileName();
}

bool SettingsStore::openKey(const QString& subKey, const QString& valueName, QString& group, Snapshot& snap) {
    const std::optional<QString> g = groupFor(subKey);
    if (!g) {
        reportSystemError(QStringLiteral("Der Schlüssel „%1“ gehört nicht zu den Einstellungen.").arg(subKey),
                          QDir::toNativeSeparators(file.path()));
        return false;
    }
    snap = file.load();
    if (!snap.usable()) {
        reportSystemError(file.fileProblemText(snap.state), keyPath(*g, valueName));
        return false;
    }
    group = *g;
    return true;
}

void SettingsStore::holdWrites() { file.hold(); }

void SettingsStore::releaseWrites() {
    if (const QString problem = file.release(); !problem.isEmpty()) reportSystemError(problem, QString());
}

int16_t SettingsStore::store(const Snapshot& base, const SettingsFile::Values& values, const QString& where) {
    const QString problem = file.store(base, values);
    if (problem.isEmpty()) return kOk;
    reportSystemError(problem, where);
    return kCannotReadOrSet;
}

QString SettingsStore::workingFolderNative() const {
    return QDir::toNativeSeparators(workingFolder ? workingFolder() : QDir::currentPath());
}

void SettingsStore::ensureSettingsKeys() {
    const Snapshot snap = file.load();
    if (!snap.usable()) {
        reportSystemError(file.fileProblemText(snap.state), QString());
        return;
    }
    // A file with at least one value stands for an existing key tree.
    if (snap.state == SettingsFile::State::Ok && !snap.values.isEmpty()) return;

    const QString folder = workingFolderNative();
    const QString base = folder.endsWith(QDir::separator()) ? folder : folder + QDir::separator();
    const QString configs = base + QStringLiteral("Konfigurationen");
    const auto user = [](int selector) { return QStringLiteral("User/") + folderValueName(selector); };
    store(snap,
          {{user(kConfig1Path), configs},
           {user(kConfig2Path), configs},
           {user(kPath), folder},
           {user(kManual), manualDefault.isEmpty() ? base + QStringLiteral("Manual")
                                                   : QDir::toNativeSeparators(manualDefault)}},
          QStringLiteral("[User]"));
}

int16_t SettingsStore::readSetting(const QString& valueName, const QString& subKey, QString& text,
                                   int& capacity) {
    QString group;
    Snapshot snap;
    if (!openKey(subKey, valueName, group, snap)) return kCannotOpen;

    const QString key = group + QLatin1Char('/') + valueName;
    QString value;
    if (snap.values.contains(key)) {
        value = snap.values.value(key);
    } else {
        // A missing value is created with its default and read as such.
        value = QStringLiteral("0");
        if (store(snap, {{key, value}}, keyPath(group, valueName)) != kOk)
            return kCannotReadOrSet;
    }

    const int length = int(value.size()) + 1; // with the terminator
    const bool fits = capacity >= length;
    capacity = length;
    if (!fits) return kBufferTooSmall;
    text = value;
    return kOk;
}

std::optional<QString> SettingsStore::readValue(const QString& valueName, const QString& subKey) {
    QString text;
    int capacity = kValueCapacity;
    const int16_t status = readSetting(valueName, subKey, text, capacity);
    if (status == kOk) return text;
    reportSettingsStatus(status);
    return std::nullopt;
}

int16_t SettingsStore::writeSetting(const QString& valueName, const QString& subKey, DataKind kind,
                                    int number, int byteCount) {
    lastCount = 0;
    const QString text = QString::number(number);
    int count = std::max(byteCount, 2);
    switch (kind) {
    case DataKind::Int16:
    case DataKind::UInt8: {
        const bool inRange = kind == DataKind::Int16 ? number >= std::numeric_limits<int16_t>::min() &&
                                                           number <= std::numeric_limits<int16_t>::max()
                                                     : number >= 0 && number <= 255;
        if (!inRange) {
            const std::optional<QString> g = groupFor(subKey);
            reportSystemError(QStringLiteral("Der Wert %1 liegt außerhalb des Wertebereichs.").arg(number),
                              keyPath(g.value_or(subKey), valueName));
            return kCannotReadOrSet;
        }
        if (kind == DataKind::UInt8)
            count = 2;
        else if (number > 9)
            count = int(text.size()) + 1;
        // The count never cuts a number: "-5" or "200" keep all their digits.
        count = std::max(count, int(text.size()) + 1);
        return writeText(valueName, subKey, text, count);
    }
    case DataKind::Raw:
        break;
    }
    return writeText(valueName, subKey, text.left(count - 1), count);
}

int16_t SettingsStore::writeSetting(const QString& valueName, const QString& subKey, DataKind kind,
                                    const QString& data, int byteCount) {
    if (kind != DataKind::Raw) {
        const std::optional<int> number = NumberFormat::toInteger(data);
        if (!number) {
            lastCount = 0;
            const std::optional<QString> g = groupFor(subKey);
            reportSystemError(NumberFormat::integerErrorText(data), keyPath(g.value_or(subKey), valueName));
            return kCannotReadOrSet;
        }
        return writeSetting(valueName, subKey, kind, *number, byteCount);
    }
    lastCount = 0;
    const int count = std::max(byteCount, 2);
    // The stored string ends at the first NUL or where the count leaves no room.
    QString text = data.left(data.indexOf(QChar(0)) < 0 ? data.size() : data.indexOf(QChar(0)));
    text.truncate(count - 1);
    if (!text.isEmpty() && text.back().isHighSurrogate()) text.chop(1);
    return writeText(valueName, subKey, text, count);
}

int16_t SettingsStore::writeText(const QString& valueName, const QString& subKey, const QString& text,
                                 int count) {
    QString group;
    Snapshot snap;
    if (!openKey(subKey, valueName, group, snap)) return kCannotOpen;
    lastCount = count;
    return store(snap, {{group + QLatin1Char('/') + valueName, text}}, keyPath(group, valueName));
}

int SettingsStore::readFolderSetting(QString& folder, int selector) {
    QString text;
    int capacity = kFolderCapacity;
    if (readSetting(folderValueName(selector), kUser, text, capacity) == kOk) {
        folder = text;
        return 0;
    }
    folder = workingFolderNative();
    // A damaged or unreadable file has been reported already; writing would only fail again.
    if (file.load().usable()) {
        if (selector == kPath) {
            writeFolderSetting(folder, kConfig1Path);
            writeFolderSetting(folder, kConfig2Path);
        }
        writeFolderSetting(folder, selector);
    }
    return 1;
}

int16_t SettingsStore::writeFolderSetting(const QString& folder, int selector) {
    return writeSetting(folderValueName(selector), kUser, DataKind::Raw, folder, int(folder.size()) + 1);
}

QString SettingsStore::folderValueName(int selector) {
    switch (selector) {
    case kConfig1Path:
        return QStringLiteral("Config1Path");
    case kConfig2Path:
        return QStringLiteral("Config2Path");
    case kManual:
        return QStringLiteral("Manual");
    default:
        return QStringLiteral("Path");
    }
}

QString SettingsStore::statusText(int16_t status) {
    switch (status) {
    case kOk:
        return QStringLiteral("Kein Fehler.");
    case kCannotOpen:
        return QStringLiteral("Der Registrierungs-Schlüssel konnte nicht geöffnet werden!");
    case kCannotReadOrSet:
        return QStringLiteral("Der Registrierungs-Schlüssel konnte nicht gefunden werden");
    case kBufferTooSmall:
        return QStringLiteral("Der Daten-Puffer für die Regsitrierungs-Daten ist zu klein");
    default:
        return QStringLiteral("Ein unbekannter Fehler ist aufgetreten!");
    }
}

void SettingsStore::reportSettingsStatus(int16_t status) {
    prompter.show(statusText(status), QStringLiteral("GetLastError"), Prompter::Icon::Error);
}

void SettingsStore::reportSystemError(const QString& platformText, const QString& extra) {
    QString text = platformText;
    if (extra.size() > 1) text += QLatin1Char('\n') + extra;
    prompter.show(text, QStringLiteral("GetLastError"), Prompter::Icon::Information);
}

