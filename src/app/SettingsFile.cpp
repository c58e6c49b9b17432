#include "app/SettingsFile.h"

#include "files/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <algorithm>

namespace {

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
class SettingsFile::Copy {
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

SettingsFile::SettingsFile(const QString& path) : filePath(path) {
    if (filePath.isEmpty()) held = Snapshot{};
}

SettingsFile::Snapshot SettingsFile::load() const {
    if (held) return *held;
    Snapshot snap;
    if (!QFileInfo::exists(filePath)) return snap;
    QFile f(filePath);
    if (!f.open(QIODevice::ReadOnly)) {
        snap.state = State::Unreadable;
        return snap;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        snap.state = State::Unreadable;
        return snap;
    }
    return parse(bytes);
}

SettingsFile::Snapshot SettingsFile::parse(const QByteArray& bytes) {
    Snapshot snap;
    const std::optional<QByteArray> readable = readableIni(bytes);
    if (!readable) {
        snap.state = State::Corrupt;
        return snap;
    }
    snap.bytes = *readable;
    Copy copy;
    if (!copy.open(snap.bytes)) {
        snap.state = State::Unreadable;
        return snap;
    }
    QSettings s(copy.fileName(), QSettings::IniFormat);
    // QSettings reads the file on first use: its status means something only after that.
    const QStringList keys = s.allKeys();
    if (s.status() != QSettings::NoError) {
        snap.state = s.status() == QSettings::FormatError ? State::Corrupt : State::Unreadable;
        return snap;
    }
    for (const QString& key : keys)
        snap.values.insert(key, valueText(s.value(key)));
    snap.state = State::Ok;
    return snap;
}

QString SettingsFile::fileProblemText(State state) const {
    if (state == State::Corrupt)
        return QStringLiteral(
                   "Die Einstellungsdatei „%1“ ist beschädigt. Sie wird nicht überschrieben; bitte "
                   "korrigieren oder löschen Sie die Datei.")
            .arg(QDir::toNativeSeparators(filePath));
    return QStringLiteral("Die Einstellungsdatei „%1“ kann nicht gelesen werden.")
        .arg(QDir::toNativeSeparators(filePath));
}

void SettingsFile::hold() {
    if (held) return;
    const Snapshot snap = load();
    if (snap.usable()) held = snap;
}

QString SettingsFile::release() {
    if (!held || filePath.isEmpty()) return {};
    held.reset();
    const Values values = std::exchange(heldWrites, {});
    const Snapshot base = load();
    const bool changes = std::any_of(values.begin(), values.end(), [&](const auto& value) {
        return !base.values.contains(value.first) || base.values.value(value.first) != value.second;
    });
    if (!changes) return {};
    if (!base.usable()) return fileProblemText(base.state);
    return storeInFile(base, values);
}

QString SettingsFile::store(const Snapshot& base, const Values& values) {
    if (!held) return storeInFile(base, values);
    for (const auto& [key, text] : values)
        held->values.insert(key, text);
    held->state = State::Ok;
    heldWrites += values;
    return {};
}

QString SettingsFile::writeProblemText() const {
    return QStringLiteral("Die Einstellungsdatei „%1“ kann nicht geschrieben werden.")
        .arg(QDir::toNativeSeparators(filePath));
}

QString SettingsFile::storeInFile(const Snapshot& base, const Values& values) {
    const QString notWritten = writeProblemText();
    QByteArray result;
    {
        Copy copy;
        if (!copy.open(base.bytes)) return notWritten;
        {
            QSettings s(copy.fileName(), QSettings::IniFormat);
            for (const auto& [key, text] : values)
                s.setValue(key, text);
            s.sync();
            if (s.status() != QSettings::NoError) return notWritten;
        }
        result = copy.bytes();
    }
    // At least the value just set is in the file; nothing at all means the copy was lost.
    if (result.isEmpty()) return notWritten;
    // QSettings writes some keys it read back in a form it refuses itself (a key ending in '/'
    // comes back ending in '\'), which would make a sound file a damaged one. The file then counts
    // as damaged as it stands and is kept.
    const Snapshot check = parse(result);
    const bool keepsAll = std::all_of(base.values.keyBegin(), base.values.keyEnd(),
                                      [&](const QString& key) { return check.values.contains(key); });
    if (check.state == State::Unreadable) return notWritten;
    if (check.state != State::Ok || !keepsAll) return fileProblemText(State::Corrupt);
    // Replaced in one step, so a failed write leaves the old file whole.
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    if (const filewriter::Result written = filewriter::replace(filePath, result); !written.ok)
        return notWritten + QLatin1Char('\n') + written.reason;
    return {};
}
