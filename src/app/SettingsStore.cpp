#include "app/SettingsStore.h"

#include "config/NumberFormat.h"

#include "config/Prompter.h"
#include "files/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <algorithm>
#include <limits>

namespace {

const QString kUser = QStringLiteral("User\\");
constexpr int kFolderCapacity = 260;
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

// Only lines the INI reader understands: blank, comment, [section], key=value.
// Anything else would be dropped silently by the reader and lost on the next write.
// Gives the text as QSettings is to read it: QSettings takes a byte order mark or a
// '#' comment for a format error, so the mark is left out and such a '#' becomes ';'.
std::optional<QByteArray> readableIni(QByteArray data) {
    if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(data);
    if (utf8.hasError()) return std::nullopt;
    QString line;
    int first = 0; // raw line the current line starts on
    QStringList rawLines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < rawLines.size(); ++i) {
        QString raw = rawLines.at(i);
        if (raw.endsWith(QLatin1Char('\r'))) raw.chop(1);
        for (const QChar c : raw) {
            if (c.unicode() < 0x20 && c != QLatin1Char('\t')) return std::nullopt;
        }
        if (line.isEmpty()) first = i;
        line += raw;
        // A trailing backslash continues the line.
        if (line.endsWith(QLatin1Char('\\')) && i + 1 < rawLines.size()) {
            line.chop(1);
            continue;
        }
        const QString t = line.trimmed();
        line.clear();
        // QSettings reads "#name=value" as a value, and refuses a '#' line without '='.
        if (t.startsWith(QLatin1Char('#')) && !t.contains(QLatin1Char('='))) {
            // Only blanks stand before the first '#' from where the line starts.
            for (int j = first; j <= i; ++j) {
                if (const qsizetype at = rawLines[j].indexOf(QLatin1Char('#')); at >= 0) {
                    rawLines[j][at] = QLatin1Char(';');
                    break;
                }
            }
            continue;
        }
        if (t.isEmpty() || t.startsWith(QLatin1Char(';'))) continue;
        if (t.startsWith(QLatin1Char('['))) {
            if (!t.endsWith(QLatin1Char(']'))) return std::nullopt;
            continue;
        }
        if (!t.contains(QLatin1Char('='))) return std::nullopt;
    }
    return rawLines.join(QLatin1Char('\n')).toUtf8();
}

QString valueText(const QVariant& v) {
    // A hand-written value with commas comes back as a list.
    if (v.metaType().id() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

} // namespace

// QSettings keeps one cache entry per file name for the whole process. That entry
// keeps a failed write pending (to resurface on the next read or write) and can miss
// a change made within the same millisecond. Every operation therefore hands
// QSettings a private copy of the file's bytes and writes the result back itself.
class SettingsStore::Copy {
  public:
    bool open(const QByteArray& bytes) {
        file.setFileTemplate(QDir::tempPath() + QStringLiteral("/trk-settings-XXXXXX.ini"));
        if (!file.open()) return false;
        // A copy cut short on a full temporary folder would lose every value it misses.
        const bool written = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        return written && file.error() == QFileDevice::NoError;
    }
    QString fileName() const { return file.fileName(); }
    QByteArray bytes() {
        QFile f(file.fileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

  private:
    QTemporaryFile file;
};

SettingsStore::SettingsStore(const QString& filePath, Prompter& p, std::function<QString()> folder)
    : path(filePath), prompter(p), workingFolder(std::move(folder)) {
    if (path.isEmpty()) held = Snapshot{};
}

QString SettingsStore::defaultPath() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Halvora"),
                     QStringLiteral("Trk_Dvn_Konfigurationsprogramm"))
        .fileName();
}

SettingsStore::Snapshot SettingsStore::load() const {
    if (held) return *held;
    Snapshot snap;
    if (!QFileInfo::exists(path)) return snap;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        snap.state = FileState::Unreadable;
        return snap;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        snap.state = FileState::Unreadable;
        return snap;
    }
    return parse(bytes);
}

SettingsStore::Snapshot SettingsStore::parse(const QByteArray& bytes) {
    Snapshot snap;
    const std::optional<QByteArray> readable = readableIni(bytes);
    if (!readable) {
        snap.state = FileState::Corrupt;
        return snap;
    }
    snap.bytes = *readable;
    Copy copy;
    if (!copy.open(snap.bytes)) {
        snap.state = FileState::Unreadable;
        return snap;
    }
    QSettings s(copy.fileName(), QSettings::IniFormat);
    // QSettings reads the file on first use: its status means something only after that.
    const QStringList keys = s.allKeys();
    if (s.status() != QSettings::NoError) {
        snap.state = s.status() == QSettings::FormatError ? FileState::Corrupt : FileState::Unreadable;
        return snap;
    }
    for (const QString& key : keys)
        snap.values.insert(key, valueText(s.value(key)));
    snap.state = FileState::Ok;
    return snap;
}

QString SettingsStore::fileProblemText(FileState state) const {
    if (state == FileState::Corrupt)
        return QStringLiteral(
                   "Die Einstellungsdatei „%1“ ist beschädigt. Sie wird nicht überschrieben; bitte "
                   "korrigieren oder löschen Sie die Datei.")
            .arg(QDir::toNativeSeparators(path));
    return QStringLiteral("Die Einstellungsdatei „%1“ kann nicht gelesen werden.")
        .arg(QDir::toNativeSeparators(path));
}

bool SettingsStore::openKey(const QString& subKey, const QString& valueName, QString& group, Snapshot& snap) {
    const std::optional<QString> g = groupFor(subKey);
    if (!g) {
        reportSystemError(QStringLiteral("Der Schlüssel „%1“ gehört nicht zu den Einstellungen.").arg(subKey),
                          QDir::toNativeSeparators(path));
        return false;
    }
    snap = load();
    if (snap.state == FileState::Unreadable || snap.state == FileState::Corrupt) {
        reportSystemError(fileProblemText(snap.state), keyPath(*g, valueName));
        return false;
    }
    group = *g;
    return true;
}

void SettingsStore::holdWrites() {
    if (held) return;
    const Snapshot snap = load();
    // A damaged file is reported by every access, as without holding.
    if (snap.state == FileState::Ok || snap.state == FileState::Missing) held = snap;
}

void SettingsStore::releaseWrites() {
    if (!held || path.isEmpty()) return;
    held.reset();
    const Values values = std::exchange(heldWrites, {});
    const Snapshot base = load();
    const bool changes = std::any_of(values.begin(), values.end(), [&](const auto& value) {
        return !base.values.contains(value.first) || base.values.value(value.first) != value.second;
    });
    if (!changes) return;
    if (base.state == FileState::Unreadable || base.state == FileState::Corrupt) {
        reportSystemError(fileProblemText(base.state), QString());
        return;
    }
    storeInFile(base, values, QString());
}

int16_t SettingsStore::store(const Snapshot& base, const Values& values, const QString& where) {
    if (!held) return storeInFile(base, values, where);
    for (const auto& [key, text] : values)
        held->values.insert(key, text);
    held->state = FileState::Ok;
    heldWrites += values;
    return kOk;
}

int16_t SettingsStore::storeInFile(const Snapshot& base, const Values& values, const QString& where) {
    const QString notWritten = QStringLiteral("Die Einstellungsdatei „%1“ kann nicht geschrieben werden.")
                                   .arg(QDir::toNativeSeparators(path));
    QByteArray result;
    {
        Copy copy;
        if (!copy.open(base.bytes)) {
            reportSystemError(notWritten, where);
            return kCannotReadOrSet;
        }
        {
            QSettings s(copy.fileName(), QSettings::IniFormat);
            for (const auto& [key, text] : values)
                s.setValue(key, text);
            s.sync();
            if (s.status() != QSettings::NoError) {
                reportSystemError(notWritten, where);
                return kCannotReadOrSet;
            }
        }
        result = copy.bytes();
    }
    // At least the value just set is in the file; nothing at all means the copy was lost.
    if (result.isEmpty()) {
        reportSystemError(notWritten, where);
        return kCannotReadOrSet;
    }
    // QSettings writes some keys it read back in a form it refuses itself (a key ending in '/'
    // comes back ending in '\'), which would make a sound file a damaged one. The file then counts
    // as damaged as it stands and is kept.
    const Snapshot check = parse(result);
    const bool keepsAll = std::all_of(base.values.keyBegin(), base.values.keyEnd(),
                                      [&](const QString& key) { return check.values.contains(key); });
    if (check.state == FileState::Unreadable) {
        reportSystemError(notWritten, where);
        return kCannotReadOrSet;
    }
    if (check.state != FileState::Ok || !keepsAll) {
        reportSystemError(fileProblemText(FileState::Corrupt), where);
        return kCannotReadOrSet;
    }
    // Replaced in one step, so a failed write leaves the old file whole.
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (const filewriter::Result written = filewriter::replace(path, result); !written.ok) {
        reportSystemError(notWritten + QLatin1Char('\n') + written.reason, where);
        return kCannotReadOrSet;
    }
    return kOk;
}

QString SettingsStore::workingFolderNative() const {
    return QDir::toNativeSeparators(workingFolder ? workingFolder() : QDir::currentPath());
}

void SettingsStore::ensureSettingsKeys() {
    const Snapshot snap = load();
    if (snap.state == FileState::Unreadable || snap.state == FileState::Corrupt) {
        reportSystemError(fileProblemText(snap.state), QString());
        return;
    }
    // A file with at least one value stands for an existing key tree.
    if (snap.state == FileState::Ok && !snap.values.isEmpty()) return;

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
    const FileState state = load().state;
    if (state == FileState::Ok || state == FileState::Missing) {
        if (selector == kPath) {
            writeFolderSetting(folder, kConfig1Path);
            writeFolderSetting(folder, kConfig2Path);
        }
        writeFolderSetting(folder, selector);
    }
    return 1;
}

QString SettingsStore::configFolder() {
    QString folder;
    readFolderSetting(folder, kConfig1Path);
    return folder;
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

