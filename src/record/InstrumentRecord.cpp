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
#include <QSysInfo>
#include <QThread>
#include <QVariant>

#include <atomic>

namespace {

// Connections are per thread and named; every record gets a name of its own.
std::atomic<int> connections{0};

// How an event is stored; the order of RecordEntry::Event.
constexpr const char* kEventKeys[] = {"readout", "programming", "address", "name", "loopcheck"};

constexpr const char* kColumns = "id, time, event, user, computer, port, address, identity, serial, model, "
                                 "firmware, name, configuration, changes, verification, reason";
// The same without the d20 bytes: a list of 10,000 entries does not read 10,000 files.
constexpr const char* kListColumns = "id, time, event, user, computer, port, address, identity, serial, model, "
                                     "firmware, name, NULL, changes, verification, reason";

// SQLite's primary result codes that mean the file is no database (any more).
constexpr int kBusy = 5;
constexpr int kCorrupt = 11;
constexpr int kNotADatabase = 26;

// A busy file is waited for this long: the window and trkdvn-cli may write at the same time.
constexpr int kBusyWaitMs = 10000;
constexpr const char* kConnectOptions = "QSQLITE_BUSY_TIMEOUT=10000";

int resultCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

// Why a statement failed, in words a user of this program reads.
QString reasonText(const QSqlError& error) {
    switch (resultCode(error)) {
    case kBusy: return QStringLiteral("die Datei ist von einem anderen Programm gesperrt");
    case 8: return QStringLiteral("die Datei ist schreibgeschützt");
    case 10: return QStringLiteral("Fehler beim Lesen oder Schreiben der Datei");
    case 13: return QStringLiteral("der Datenträger ist voll");
    case 14: return QStringLiteral("die Datei lässt sich nicht öffnen oder anlegen");
    default: return error.text().trimmed();
    }
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
        changes.append({o.value(QStringLiteral("group")).toString(), o.value(QStringLiteral("label")).toString(),
                        o.value(QStringLiteral("before")).toString(), o.value(QStringLiteral("after")).toString()});
    }
    return changes;
}

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

RecordEntry entryFrom(const QSqlQuery& q) {
    RecordEntry e;
    e.id = q.value(0).toLongLong();
    e.time = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
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
    return e;
}

// The schema of version 1. Times are UTC in ISO 8601 with milliseconds, so they sort as text.
constexpr const char* kSchema[] = {
    "CREATE TABLE IF NOT EXISTS entry ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " time TEXT NOT NULL,"
    " event TEXT NOT NULL,"          // readout, programming, address, name
    " user TEXT NOT NULL, computer TEXT NOT NULL,"
    " port INTEGER NOT NULL, address INTEGER NOT NULL,"
    " identity INTEGER NOT NULL, serial TEXT NOT NULL,"
    " model TEXT NOT NULL, firmware TEXT NOT NULL, name TEXT NOT NULL,"
    " configuration BLOB NOT NULL,"  // the d20 file's bytes
    " changes TEXT NOT NULL,"        // JSON: [{group, label, before, after}]
    " verification TEXT NOT NULL, reason TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS entry_by_serial ON entry (serial, time, id)",
};

} // namespace

InstrumentRecord::InstrumentRecord(const QString& file, Report report)
    : path(file), connection(QStringLiteral("instrumentrecord-%1").arg(connections++)), report(std::move(report)) {
    if (!open()) fail(lastError);
}

InstrumentRecord::~InstrumentRecord() {
    // A last try for what could not be written; it was reported when it failed.
    report = nullptr;
    if (!waiting.isEmpty()) flush();
    close();
}

QString InstrumentRecord::eventText(RecordEntry::Event event) {
    switch (event) {
    case RecordEntry::Event::Readout: return QStringLiteral("Einlesen");
    case RecordEntry::Event::Programming: return QStringLiteral("Programmieren");
    case RecordEntry::Event::AddressChange: return QStringLiteral("Adresse geändert");
    case RecordEntry::Event::NameChange: return QStringLiteral("Name geändert");
    case RecordEntry::Event::LoopCheck: return QStringLiteral("Schleifentest");
    }
    return {};
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
    QElapsedTimer waited;
    waited.start();
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            lastError = QStringLiteral("der Ordner %1 lässt sich nicht anlegen").arg(QFileInfo(path).absolutePath());
            return false;
        }
        QSqlError error;
        bool newer = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(path);
            db.setConnectOptions(QLatin1String(kConnectOptions));
            if (!db.open()) {
                error = db.lastError();
            } else {
                QSqlQuery q(db);
                // The journal mode sticks to the file; readers never wait for a writer with it.
                if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.exec(QStringLiteral("PRAGMA user_version")) ||
                    !q.next()) {
                    error = q.lastError();
                } else if (const int version = q.value(0).toInt(); version > kSchemaVersion) {
                    newer = true;
                } else if (version < kSchemaVersion) {
                    q.finish();
                    if (q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
                        bool ok = true;
                        for (const char* statement : kSchema)
                            ok = ok && q.exec(QLatin1String(statement));
                        ok = ok && q.exec(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion)) &&
                             q.exec(QStringLiteral("COMMIT"));
                        if (!ok) {
                            error = q.lastError();
                            q.exec(QStringLiteral("ROLLBACK"));
                        }
                    } else {
                        error = q.lastError();
                    }
                }
            }
        }
        if (newer) {
            close();
            lastError = QStringLiteral("es stammt von einer neueren Version des Programms");
            return false;
        }
        if (!error.isValid()) {
            opened = true;
            return true;
        }
        close();
        // Two programs making a new file at once: switching it to WAL can answer "busy"
        // without waiting; the other one is done in a moment.
        if (resultCode(error) == kBusy && waited.elapsed() < kBusyWaitMs) {
            QThread::msleep(20);
            --attempt;
            continue;
        }
        if (failure(error) != Failure::Damaged || attempt > 0) {
            lastError = reasonText(error);
            return false;
        }
        moveAside();
    }
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
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString aside;
    for (int n = 1; aside.isEmpty() || QFileInfo::exists(aside); ++n)
        aside = info.dir().filePath(QStringLiteral("%1.beschaedigt-%2%3.%4")
                                        .arg(info.completeBaseName(), stamp,
                                             n > 1 ? QStringLiteral("-%1").arg(n) : QString(), info.suffix()));
    if (!QFile::rename(path, aside)) return; // the next open fails and says why
    // The journal beside it belongs to the damaged file, not to the new one.
    for (const char* companion : {"-wal", "-shm"})
        if (QFileInfo::exists(path + QLatin1String(companion)))
            QFile::rename(path + QLatin1String(companion), aside + QLatin1String(companion));
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
                          "die Einträge werden nachgetragen, sobald das Archiv wieder beschreibbar ist.")
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
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!open()) break;
        QSqlError error;
        {
            QSqlQuery q(QSqlDatabase::database(connection, false));
            // The write lock is taken at the start, so a busy file is waited for right here.
            if (q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
                q.prepare(QStringLiteral("INSERT INTO entry (time, event, user, computer, port, address, identity, "
                                         "serial, model, firmware, name, configuration, changes, verification, "
                                         "reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
                bool ok = true;
                for (const RecordEntry& e : waiting) {
                    const QVariantList values = {timeText(e.time), QLatin1String(kEventKeys[int(e.event)]),
                                                 storedText(e.user), storedText(e.computer), e.port, e.address,
                                                 qint64(e.identity), storedText(e.serial), storedText(e.model),
                                                 storedText(e.firmware), storedText(e.name),
                                                 e.configuration.isNull() ? QByteArray("") : e.configuration,
                                                 changesText(e.changes), storedText(e.verification),
                                                 storedText(e.reason)};
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
        lastError = reasonText(error);
        if (failure(error) != Failure::Damaged) break;
        moveAside();
    }
    fail(lastError);
    return false;
}

bool InstrumentRecord::openForReading() {
    readError.clear();
    if (open()) return true;
    readError = lastError;
    return false;
}

void InstrumentRecord::noteReadError(const QSqlError& error) {
    if (error.isValid()) readError = reasonText(error);
    if (failure(error) == Failure::Damaged) moveAside();
}

QList<RecordEntry> InstrumentRecord::select(const QString& where, const QVariant& value, bool withConfiguration) {
    QList<RecordEntry> list;
    if (!openForReading()) return list;
    QSqlError error;
    {
        QSqlQuery q(QSqlDatabase::database(connection, false));
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT %1 FROM entry WHERE %2 ORDER BY time DESC, id DESC")
                      .arg(QLatin1String(withConfiguration ? kColumns : kListColumns), where));
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
    // The model as the newest entry has it; the name as the newest entry that knows one has it
    // (a readout does not ask the instrument for its name).
    if (q.exec(QStringLiteral("SELECT e.serial, COALESCE((SELECT name FROM entry WHERE serial = c.serial AND "
                               "name <> '' ORDER BY time DESC, id DESC LIMIT 1), ''), e.model, c.seen, c.n "
                               "FROM entry e JOIN "
                               "(SELECT serial, MAX(time) AS seen, COUNT(*) AS n FROM entry GROUP BY serial) c "
                               "ON e.serial = c.serial AND e.id = (SELECT id FROM entry WHERE serial = c.serial "
                               "ORDER BY time DESC, id DESC LIMIT 1) ORDER BY e.serial")))
        while (q.next())
            list.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                         QDateTime::fromString(q.value(3).toString(), Qt::ISODateWithMs), q.value(4).toInt()});
    error = q.lastError();
    }
    noteReadError(error);
    return list;
}
