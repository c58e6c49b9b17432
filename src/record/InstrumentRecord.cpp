#include "record/InstrumentRecord.h"
#include "files/D20Writer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QSysInfo>
#include <QThread>
#include <QUrl>
#include <QVariant>

#include <atomic>

namespace {

// Connections are per thread and named; every record gets a name of its own.
std::atomic<int> connections{0};

// How an event is stored; the order of RecordEntry::Event.
constexpr const char* kEventKeys[] = {"readout", "programming", "address", "name", "loopcheck"};

// The columns of an entry as they are read; a file of version 1 has no intended state.
QString columns(int version, bool withConfiguration) {
    QString c = QStringLiteral("id, time, event, user, computer, port, address, identity, serial, model, "
                               "firmware, name, %1, changes, verification, reason, %2, "
                               "length(configuration) > 0")
                    .arg(withConfiguration ? QStringLiteral("configuration") : QStringLiteral("NULL"));
    // A list of 10,000 entries does not read 10,000 files.
    return c.arg(version < 2         ? QStringLiteral("x'', '[]'")
                 : withConfiguration ? QStringLiteral("intended, deviations")
                                     : QStringLiteral("NULL, deviations"));
}

// SQLite's primary result codes that the record tells apart.
constexpr int kError = 1;
constexpr int kPermission = 3;
constexpr int kBusy = 5;
constexpr int kReadOnly = 8;
constexpr int kIoError = 10;
constexpr int kCorrupt = 11;
constexpr int kFull = 13;
constexpr int kCannotOpen = 14;
constexpr int kNotADatabase = 26;

// A busy file is waited for this long: the window and trkdvn-cli may write at the same time.
constexpr int kBusyWaitMs = 10000;
constexpr const char* kConnectOptions = "QSQLITE_BUSY_TIMEOUT=10000";

// A record opened only to read is never written to (the commands that list and show).
const QString kReadOnlyAccess = QStringLiteral("es ist nur zum Lesen geöffnet");

int resultCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

// Less than this free on the archive's disk counts as full: SQLite then reports an I/O error.
constexpr qint64 kFullBelow = 64 * 1024;

bool diskFull(const QString& file) {
    QStorageInfo disk(QFileInfo(file).absolutePath());
    return disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < kFullBelow;
}

bool readOnlyMedium(const QString& file) {
    const QStorageInfo disk(QFileInfo(file).absolutePath());
    return disk.isValid() && disk.isReadOnly();
}

// Why a statement failed, in words a user of this program reads; never the driver's English.
QString reasonText(const QSqlError& error, const QString& file) {
    const int code = resultCode(error);
    if (code == kFull || ((code == kIoError || code == kCannotOpen) && diskFull(file)))
        return QStringLiteral("der Datenträger ist voll");
    // SQLite cannot make its index of the write-ahead log beside a file on such a medium.
    if ((code == kCannotOpen || code == kReadOnly) && readOnlyMedium(file))
        return QStringLiteral("die Datei oder ihr Datenträger ist schreibgeschützt");
    switch (code) {
    case kError:
        return QStringLiteral("die Datei hat nicht den Aufbau eines Gerätearchivs");
    case kPermission:
        return QStringLiteral("keine Berechtigung für die Datei");
    case kBusy:
        return QStringLiteral("die Datei ist von einem anderen Programm gesperrt");
    case kReadOnly:
        return QStringLiteral("die Datei oder ihr Datenträger ist schreibgeschützt");
    case kIoError:
        return QStringLiteral("Fehler beim Lesen oder Schreiben der Datei");
    case kCorrupt:
    case kNotADatabase:
        return QStringLiteral("die Datei ist beschädigt");
    case kCannotOpen:
        return QStringLiteral("die Datei lässt sich nicht öffnen oder anlegen");
    default:
        break;
    }
    return code > 0 ? QStringLiteral("unerwarteter Fehler der Datenbank (SQLite-Code %1)").arg(code)
                    : QStringLiteral("die Datenbank lässt sich nicht benutzen");
}

QString storedText(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

QString changesText(const QList<RecordChange>& changes) {
    QJsonArray list;
    for (const RecordChange& c : changes)
        list.append(QJsonObject{{QStringLiteral("group"), c.group},
                                {QStringLiteral("label"), c.label},
                                {QStringLiteral("before"), c.before},
                                {QStringLiteral("after"), c.after}});
    return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
}

QList<RecordChange> changesFrom(const QString& text) {
    QList<RecordChange> changes;
    for (const QJsonValue& v : QJsonDocument::fromJson(text.toUtf8()).array()) {
        const QJsonObject o = v.toObject();
        changes.append(
            {o.value(QStringLiteral("group")).toString(), o.value(QStringLiteral("label")).toString(),
             o.value(QStringLiteral("before")).toString(), o.value(QStringLiteral("after")).toString()});
    }
    return changes;
}

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime timeFrom(const QVariant& v) {
    return QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
}

RecordEntry entryFrom(const QSqlQuery& q) {
    RecordEntry e;
    e.id = q.value(0).toLongLong();
    e.time = timeFrom(q.value(1));
    const QString event = q.value(2).toString();
    for (int i = 0; i < int(std::size(kEventKeys)); ++i)
        if (event == QLatin1String(kEventKeys[i])) e.event = RecordEntry::Event(i);
    e.user = q.value(3).toString();
    e.computer = q.value(4).toString();
    e.port = q.value(5).toInt();
    e.address = q.value(6).toInt();
    e.identity = q.value(7).toUInt();
    e.serial = q.value(8).toString();
    e.model = q.value(9).toString();
    e.firmware = q.value(10).toString();
    e.name = q.value(11).toString();
    e.configuration = q.value(12).toByteArray();
    e.changes = changesFrom(q.value(13).toString());
    e.verification = q.value(14).toString();
    e.reason = q.value(15).toString();
    e.intended = q.value(16).toByteArray();
    e.deviations = changesFrom(q.value(17).toString());
    e.hasConfiguration = q.value(18).toBool();
    return e;
}

// The schema of version 1. Times are UTC in ISO 8601 with milliseconds, so they sort as text.
constexpr const char* kSchema1[] = {
    "CREATE TABLE IF NOT EXISTS entry ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " time TEXT NOT NULL,"
    " event TEXT NOT NULL," // readout, programming, address, name, loopcheck
    " user TEXT NOT NULL, computer TEXT NOT NULL,"
    " port INTEGER NOT NULL, address INTEGER NOT NULL,"
    " identity INTEGER NOT NULL, serial TEXT NOT NULL,"
    " model TEXT NOT NULL, firmware TEXT NOT NULL, name TEXT NOT NULL,"
    " configuration BLOB NOT NULL," // the d20 file's bytes
    " changes TEXT NOT NULL,"       // JSON: [{group, label, before, after}]
    " verification TEXT NOT NULL, reason TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS entry_by_serial ON entry (serial, time, id)",
};
// Version 2: what a programming run meant beside what the instrument holds, and the journal
// of programming runs.
constexpr const char* kSchema2[] = {
    "ALTER TABLE entry ADD COLUMN intended BLOB NOT NULL DEFAULT x''",
    "ALTER TABLE entry ADD COLUMN deviations TEXT NOT NULL DEFAULT '[]'",
    "CREATE TABLE journal ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " started TEXT NOT NULL, serial TEXT NOT NULL, identity INTEGER NOT NULL,"
    " port INTEGER NOT NULL, address INTEGER NOT NULL, model TEXT NOT NULL,"
    " login_name TEXT NOT NULL, computer TEXT NOT NULL,"
    " target BLOB NOT NULL, before BLOB NOT NULL, before_time TEXT NOT NULL,"
    " ended TEXT NOT NULL DEFAULT '', settled INTEGER NOT NULL DEFAULT 0, outcome TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX journal_open ON journal (serial, settled)",
};

// What the first bytes of a file say about it. Whose database it is, SQLite tells once it is
// open: the bytes on disk may be half way through another program's write.
enum class FileKind { Missing, Folder, Empty, Foreign, Unreadable, Database };

quint32 bigEndian(const QByteArray& bytes, int at) {
    return quint32(quint8(bytes[at])) << 24 | quint32(quint8(bytes[at + 1])) << 16 |
           quint32(quint8(bytes[at + 2])) << 8 | quint32(quint8(bytes[at + 3]));
}

// `marked`: the header carries this program's mark, so a damaged file is recognisably ours.
FileKind classify(const QString& file, bool& marked) {
    marked = false;
    const QFileInfo info(file);
    if (info.isSymLink() && !info.exists()) return FileKind::Foreign; // a link to nowhere is no archive
    if (!info.exists()) return FileKind::Missing;
    if (info.isDir()) return FileKind::Folder;
    if (!info.isFile()) return FileKind::Foreign;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return FileKind::Unreadable;
    const QByteArray head = f.read(100);
    if (head.isEmpty()) return FileKind::Empty;
    if (head.size() < 100 || !head.startsWith(QByteArrayLiteral("SQLite format 3\0"))) return FileKind::Foreign;
    marked = bigEndian(head, 68) == InstrumentRecord::kApplicationId;
    return FileKind::Database;
}

} // namespace

InstrumentRecord::InstrumentRecord(const QString& file, Report report, Access access)
    : path(file), connection(QStringLiteral("instrumentrecord-%1").arg(connections++)),
      report(std::move(report)), access(access) {
    if (open()) return;
    if (access == Access::Write)
        fail(lastError);
    else
        readError = lastError;
}

InstrumentRecord::~InstrumentRecord() {
    // A last try for what could not be written; it was reported when it failed.
    report = nullptr;
    if (!waiting.isEmpty()) flush();
    close();
}

QString InstrumentRecord::eventText(RecordEntry::Event event) {
    switch (event) {
    case RecordEntry::Event::Readout:
        return QStringLiteral("Einlesen");
    case RecordEntry::Event::Programming:
        return QStringLiteral("Programmieren");
    case RecordEntry::Event::AddressChange:
        return QStringLiteral("Adresse geändert");
    case RecordEntry::Event::NameChange:
        return QStringLiteral("Name geändert");
    case RecordEntry::Event::LoopCheck:
        return QStringLiteral("Schleifentest");
    }
    return {};
}

QString InstrumentRecord::entryLine(const RecordEntry& e) {
    return QStringLiteral("%1 %2, Gerät %3, COM%4 Adresse %5")
        .arg(e.time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")), eventText(e.event),
             e.serial)
        .arg(e.port)
        .arg(e.address);
}

InstrumentRecord::Failure InstrumentRecord::failure(const QSqlError& error) const {
    if (!error.isValid()) return Failure::None;
    const int code = resultCode(error);
    return code == kCorrupt || code == kNotADatabase ? Failure::Damaged : Failure::Other;
}

bool InstrumentRecord::open() {
    if (opened) return true;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        lastError = QStringLiteral("der SQLite-Treiber fehlt (Paket libqt6sql6-sqlite)");
        return false;
    }
    bool damaged = false;
    if (openOnce(damaged)) return true;
    // Only a file recognised as an archive and found damaged is moved aside, and only by a
    // record that writes; the new one is made in its place.
    if (!damaged || access != Access::Write) return false;
    moveAside();
    damaged = false;
    return openOnce(damaged);
}

bool InstrumentRecord::openOnce(bool& damaged) {
    const QString shown = QDir::toNativeSeparators(path);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        bool marked = false;
        const FileKind kind = classify(path, marked);
        switch (kind) {
        case FileKind::Folder:
            lastError = QStringLiteral("%1 ist ein Ordner, keine Datei").arg(shown);
            return false;
        case FileKind::Foreign:
            lastError = QStringLiteral("die Datei %1 ist kein Gerätearchiv; sie bleibt unverändert").arg(shown);
            return false;
        case FileKind::Unreadable:
            lastError = QStringLiteral("die Datei %1 lässt sich nicht lesen (keine Berechtigung)").arg(shown);
            return false;
        case FileKind::Missing:
        case FileKind::Empty:
            if (access == Access::Read) {
                lastError = QStringLiteral("unter %1 gibt es kein Gerätearchiv").arg(shown);
                return false;
            }
            if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
                lastError = QStringLiteral("der Ordner %1 lässt sich nicht anlegen")
                                .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
                return false;
            }
            break;
        case FileKind::Database: break;
        }
        QSqlError error;
        bool ok = false;
        bool raced = false; // another program made the file while this one waited to
        QString refusal;    // the file is not ours
        {
            // On a write-protected medium SQLite cannot make the index of the write-ahead log, so
            // the file is read as it lies; nothing can change it there. A log left beside it
            // holds entries that reading it as it lies would miss.
            const bool asItLies = kind == FileKind::Database && readOnlyMedium(path) &&
                                  QFileInfo(path + QStringLiteral("-wal")).size() == 0;
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(asItLies ? QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                                              QStringLiteral("?immutable=1")
                                        : path);
            db.setConnectOptions(QLatin1String(kConnectOptions) +
                                 (asItLies ? QStringLiteral(";QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY")
                                  : access == Access::Read ? QStringLiteral(";QSQLITE_OPEN_READONLY")
                                                           : QString()));
            if (!db.open()) {
                error = db.lastError();
            } else {
                QSqlQuery q(db);
                const auto number = [&q](const QString& statement) {
                    const bool done = q.exec(statement) && q.next();
                    const int value = done ? q.value(0).toInt() : -1;
                    q.finish();
                    return done ? std::optional<int>(value) : std::nullopt;
                };
                const std::optional<int> application =
                    kind == FileKind::Database ? number(QStringLiteral("PRAGMA application_id")) : 0;
                const std::optional<int> stored =
                    kind == FileKind::Database ? number(QStringLiteral("PRAGMA user_version")) : 0;
                const std::optional<int> tables =
                    kind == FileKind::Database ? number(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) : 0;
                if (!application || !stored || !tables) {
                    error = q.lastError();
                } else if (*application == 0 && *stored == 0 && *tables == 0) {
                    // A database with nothing in it yet: as good as an empty file.
                    if (access == Access::Read)
                        refusal = QStringLiteral("unter %1 gibt es kein Gerätearchiv").arg(shown);
                    else
                        ok = layOut(q, error, true, raced);
                } else if (quint32(*application) != kApplicationId &&
                           !(*application == 0 && *stored == 1 &&
                             q.exec(QStringLiteral("SELECT %1 FROM entry LIMIT 0").arg(columns(1, true))))) {
                    // The first version did not mark its files; its table tells.
                    refusal = QStringLiteral("die Datei %1 ist die Datenbank eines anderen Programms; sie bleibt "
                                             "unverändert")
                                  .arg(shown);
                } else if ((version = *stored) > kSchemaVersion) {
                    refusal = QStringLiteral("es stammt von einer neueren Version des Programms");
                } else {
                    q.finish();
                    ok = version == kSchemaVersion || access == Access::Read || layOut(q, error, false, raced);
                    // A damaged file often shows only at its first real query.
                    if (ok && !q.exec(QStringLiteral("SELECT COUNT(*) FROM entry"))) {
                        ok = false;
                        error = q.lastError();
                    }
                }
                if (!ok && !error.isValid() && refusal.isEmpty()) error = q.lastError();
            }
        }
        if (!refusal.isEmpty()) {
            close();
            lastError = refusal;
            return false;
        }
        if (ok) {
            opened = true;
            return true;
        }
        close();
        if (raced) continue;
        // Two programs making a new file at once: one waits a moment for the other.
        if (resultCode(error) == kBusy && waited.elapsed() < kBusyWaitMs) {
            QThread::msleep(20);
            continue;
        }
        damaged = failure(error) == Failure::Damaged && marked;
        lastError = reasonText(error, path);
        return false;
    }
}

bool InstrumentRecord::layOut(QSqlQuery& q, QSqlError& error, bool fresh, bool& raced) {
    // Marked and laid out in one transaction: a run killed half way leaves the file as it was
    // (an empty one is taken as new again), never a database no one recognises.
    bool ok = q.exec(QStringLiteral("BEGIN IMMEDIATE")) && q.exec(QStringLiteral("PRAGMA user_version")) && q.next();
    const int now = ok ? q.value(0).toInt() : 0;
    q.finish();
    // Another program made or upgraded the file while this one waited for the lock.
    if (ok && (fresh ? now != 0 : now >= kSchemaVersion)) {
        q.exec(QStringLiteral("ROLLBACK"));
        raced = true;
        return false;
    }
    if (now < 1)
        for (const char* statement : kSchema1)
            ok = ok && q.exec(QLatin1String(statement));
    if (now < 2)
        for (const char* statement : kSchema2)
            ok = ok && q.exec(QLatin1String(statement));
    ok = ok && q.exec(QStringLiteral("PRAGMA application_id=%1").arg(qint32(kApplicationId))) &&
         q.exec(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion)) && q.exec(QStringLiteral("COMMIT"));
    if (!ok) {
        error = q.lastError();
        QSqlQuery(QSqlDatabase::database(connection, false)).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    version = kSchemaVersion;
    // A new file: readers never wait for a writer with WAL; it sticks to the file. An upgraded
    // one: the mark into the file itself, so the next start recognises it from its first bytes.
    if (!fresh) {
        q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        return true;
    }
    if (q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) return true;
    error = q.lastError();
    return false;
}

void InstrumentRecord::close() {
    opened = false;
    if (!QSqlDatabase::contains(connection)) return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

void InstrumentRecord::moveAside() {
    close();
    const QFileInfo info(path);
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString aside;
    for (int n = 1; aside.isEmpty() || QFileInfo::exists(aside); ++n)
        aside =
            info.dir().filePath(QStringLiteral("%1.beschaedigt-%2%3.%4")
                                    .arg(info.completeBaseName(), stamp,
                                         n > 1 ? QStringLiteral("-%1").arg(n) : QString(), info.suffix()));
    if (!QFile::rename(path, aside)) return; // the next open fails and says why
    // The journal beside it belongs to the damaged file, not to the new one.
    for (const char* companion : {"-wal", "-shm"})
        if (QFileInfo::exists(path + QLatin1String(companion)))
            QFile::rename(path + QLatin1String(companion), aside + QLatin1String(companion));
    // The new file is as private as the old one was.
    QFile fresh(path);
    if (fresh.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        fresh.setPermissions(permissions);
        fresh.close();
    }
    if (report)
        report(QStringLiteral("Das Gerätearchiv %1 war beschädigt. Es wurde nach %2 verschoben; ein neues "
                              "Gerätearchiv wurde angelegt.")
                   .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(aside)));
}

void InstrumentRecord::fail(const QString& why) {
    lastError = why;
    if (reported || !report) return;
    reported = true;
    report(QStringLiteral("Das Gerätearchiv %1 kann nicht geschrieben werden: %2. Die Arbeit geht weiter; "
                          "was nicht eingetragen werden kann, wird genannt.")
               .arg(QDir::toNativeSeparators(path), why));
}

bool InstrumentRecord::add(RecordEntry entry) {
    if (!entry.time.isValid()) entry.time = QDateTime::currentDateTimeUtc();
    // The same name a d20 file records; a session without a login environment still has one.
    if (entry.user.isEmpty()) entry.user = D20Writer::platformUserName();
    if (entry.computer.isEmpty()) entry.computer = QSysInfo::machineHostName();
    waiting.append(entry);
    return flush();
}

bool InstrumentRecord::flush() {
    if (access == Access::Read) {
        fail(kReadOnlyAccess);
        return false;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!open()) break;
        QSqlError error;
        {
            QSqlQuery q(QSqlDatabase::database(connection, false));
            // The write lock is taken at the start, so a busy file is waited for right here.
            if (q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
                q.prepare(
                    QStringLiteral("INSERT INTO entry (time, event, user, computer, port, address, identity, "
                                   "serial, model, firmware, name, configuration, changes, verification, "
                                   "reason, intended, deviations) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
                bool ok = true;
                for (const RecordEntry& e : waiting) {
                    const QVariantList values = {timeText(e.time),
                                                 QLatin1String(kEventKeys[int(e.event)]),
                                                 storedText(e.user),
                                                 storedText(e.computer),
                                                 e.port,
                                                 e.address,
                                                 qint64(e.identity),
                                                 storedText(e.serial),
                                                 storedText(e.model),
                                                 storedText(e.firmware),
                                                 storedText(e.name),
                                                 e.configuration.isNull() ? QByteArray("") : e.configuration,
                                                 changesText(e.changes),
                                                 storedText(e.verification),
                                                 storedText(e.reason),
                                                 e.intended.isNull() ? QByteArray("") : e.intended,
                                                 changesText(e.deviations)};
                    for (int i = 0; i < values.size(); ++i)
                        q.bindValue(i, values.at(i));
                    if (!(ok = q.exec())) break;
                }
                if (ok && q.exec(QStringLiteral("COMMIT"))) {
                    waiting.clear();
                    reported = false;
                    return true;
                }
                error = q.lastError();
                QSqlQuery(QSqlDatabase::database(connection, false)).exec(QStringLiteral("ROLLBACK"));
            } else {
                error = q.lastError();
            }
        }
        lastError = reasonText(error, path);
        if (failure(error) != Failure::Damaged) break;
        moveAside();
    }
    fail(lastError);
    return false;
}

qint64 InstrumentRecord::beginProgramming(ProgrammingJournal run) {
    if (access == Access::Read || !open() || version < 2) {
        fail(lastError.isEmpty() ? kReadOnlyAccess : lastError);
        return 0;
    }
    if (!run.started.isValid()) run.started = QDateTime::currentDateTimeUtc();
    if (run.user.isEmpty()) run.user = D20Writer::platformUserName();
    if (run.computer.isEmpty()) run.computer = QSysInfo::machineHostName();
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.prepare(
        QStringLiteral("INSERT INTO journal (started, serial, identity, port, address, model, login_name, "
                       "computer, target, before, before_time) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const QVariantList values = {timeText(run.started),
                                 storedText(run.serial),
                                 qint64(run.identity),
                                 run.port,
                                 run.address,
                                 storedText(run.model),
                                 storedText(run.user),
                                 storedText(run.computer),
                                 run.target.isNull() ? QByteArray("") : run.target,
                                 run.before.isNull() ? QByteArray("") : run.before,
                                 run.beforeTime.isValid() ? timeText(run.beforeTime) : QStringLiteral("")};
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        fail(reasonText(q.lastError(), path));
        return 0;
    }
    return q.lastInsertId().toLongLong();
}

void InstrumentRecord::endProgramming(qint64 id, bool settled, const QString& outcome) {
    if (id == 0 || !open()) return;
    QSqlQuery q(QSqlDatabase::database(connection, false));
    bool ok = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    q.prepare(QStringLiteral("UPDATE journal SET ended = ?, settled = ?, outcome = ? WHERE id = ?"));
    q.addBindValue(timeText(QDateTime::currentDateTimeUtc()));
    q.addBindValue(settled ? 1 : 0);
    q.addBindValue(outcome.isEmpty() ? QStringLiteral("beendet") : outcome);
    q.addBindValue(id);
    ok = ok && q.exec();
    // A whole configuration written since settles what earlier runs left half done.
    if (ok && settled) {
        q.prepare(QStringLiteral("UPDATE journal SET settled = 1 WHERE settled = 0 AND id < ? AND "
                                 "serial = (SELECT serial FROM journal WHERE id = ?)"));
        q.addBindValue(id);
        q.addBindValue(id);
        ok = q.exec();
    }
    if (ok && q.exec(QStringLiteral("COMMIT"))) return;
    fail(reasonText(q.lastError(), path));
    q.exec(QStringLiteral("ROLLBACK"));
}

QList<ProgrammingJournal> InstrumentRecord::unsettled(const QString& serial) {
    QList<ProgrammingJournal> list;
    if (!openForReading() || version < 2) return list;
    QSqlError error;
    {
        QSqlQuery q(QSqlDatabase::database(connection, false));
        q.setForwardOnly(true);
        q.prepare(QStringLiteral(
                      "SELECT id, started, serial, identity, port, address, model, login_name, computer, "
                      "target, before, before_time, outcome FROM journal WHERE settled = 0%1 "
                      "ORDER BY started DESC, id DESC")
                      .arg(serial.isEmpty() ? QString() : QStringLiteral(" AND serial = ?")));
        if (!serial.isEmpty()) q.addBindValue(serial);
        if (q.exec())
            while (q.next()) {
                ProgrammingJournal j;
                j.id = q.value(0).toLongLong();
                j.started = timeFrom(q.value(1));
                j.serial = q.value(2).toString();
                j.identity = q.value(3).toUInt();
                j.port = q.value(4).toInt();
                j.address = q.value(5).toInt();
                j.model = q.value(6).toString();
                j.user = q.value(7).toString();
                j.computer = q.value(8).toString();
                j.target = q.value(9).toByteArray();
                j.before = q.value(10).toByteArray();
                j.beforeTime = timeFrom(q.value(11));
                j.outcome = q.value(12).toString();
                list.append(j);
            }
        error = q.lastError();
    }
    noteReadError(error);
    return list;
}

QString InstrumentRecord::unsettledText(const ProgrammingJournal& run) {
    const QString when = run.started.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    const QString how = run.outcome.isEmpty() ? QString() : QStringLiteral(": ") + run.outcome;
    return QStringLiteral("unvollständig programmiert am %1 (von %2@%3)%4").arg(when, run.user, run.computer, how);
}

bool InstrumentRecord::openForReading() {
    readError.clear();
    if (open()) return true;
    readError = lastError;
    return false;
}

void InstrumentRecord::noteReadError(const QSqlError& error) {
    if (error.isValid()) readError = reasonText(error, path);
    if (failure(error) == Failure::Damaged && access == Access::Write) moveAside();
}

QList<RecordEntry> InstrumentRecord::select(const QString& where, const QVariant& value,
                                            bool withConfiguration) {
    QList<RecordEntry> list;
    if (!openForReading()) return list;
    QSqlError error;
    {
        QSqlQuery q(QSqlDatabase::database(connection, false));
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT %1 FROM entry WHERE %2 ORDER BY time DESC, id DESC")
                      .arg(columns(version, withConfiguration), where));
        q.addBindValue(value);
        if (q.exec())
            while (q.next())
                list.append(entryFrom(q));
        error = q.lastError();
    }
    noteReadError(error);
    return list;
}

QList<RecordEntry> InstrumentRecord::history(const QString& serial, bool withConfiguration) {
    return select(QStringLiteral("serial = ?"), serial, withConfiguration);
}

std::optional<RecordEntry> InstrumentRecord::entry(qint64 id) {
    const QList<RecordEntry> list = select(QStringLiteral("id = ?"), id);
    return list.isEmpty() ? std::nullopt : std::optional(list.first());
}

std::optional<RecordEntry> InstrumentRecord::latest(const QString& serial) {
    const QList<RecordEntry> list = select(QStringLiteral("id = (SELECT id FROM entry WHERE serial = ? "
                                                          "ORDER BY time DESC, id DESC LIMIT 1)"),
                                           serial);
    return list.isEmpty() ? std::nullopt : std::optional(list.first());
}

QList<RecordedInstrument> InstrumentRecord::instruments() {
    QList<RecordedInstrument> list;
    if (!openForReading()) return list;
    QSqlError error;
    {
        QSqlQuery q(QSqlDatabase::database(connection, false));
        q.setForwardOnly(true);
        // The model as the newest entry has it; the name as the newest entry that knows one has it.
        if (q.exec(QStringLiteral(
                "SELECT e.serial, COALESCE((SELECT name FROM entry WHERE serial = c.serial AND "
                "name <> '' ORDER BY time DESC, id DESC LIMIT 1), ''), e.model, c.seen, c.n "
                "FROM entry e JOIN "
                "(SELECT serial, MAX(time) AS seen, COUNT(*) AS n FROM entry GROUP BY serial) c "
                "ON e.serial = c.serial AND e.id = (SELECT id FROM entry WHERE serial = c.serial "
                "ORDER BY time DESC, id DESC LIMIT 1) ORDER BY e.serial")))
            while (q.next())
                list.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                             timeFrom(q.value(3)), q.value(4).toInt()});
        error = q.lastError();
    }
    noteReadError(error);
    return list;
}
