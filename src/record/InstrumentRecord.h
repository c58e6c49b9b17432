#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// A field that changed against the instrument's previous entry, as the compare
// listing names it.
struct RecordChange {
    QString group;
    QString label;
    QString before;
    QString after;
    bool operator==(const RecordChange&) const = default;
};

// One event of one instrument.
struct RecordEntry {
    enum class Event { Readout, Programming, AddressChange, NameChange, LoopCheck };

    qint64 id = 0;   // given by the record
    QDateTime time;  // when it happened (UTC); now when left empty
    Event event = Event::Readout;
    QString user;     // the logged-on user when left empty
    QString computer; // this computer's name when left empty
    int port = 0;
    int address = -1;
    quint32 identity = 0; // the instrument's identity word
    QString serial;       // the serial number as the program shows it; the key of an instrument
    QString model;
    QString firmware;
    QString name;
    QByteArray configuration;   // exactly the bytes a d20 save writes
    QList<RecordChange> changes; // against the previous entry of this instrument
    QString verification;       // programming: what reading back found; empty when not checked;
                                // a loop check: its result with both readings
    QString reason;             // why it was changed, as the user typed it
    // Programming read back with differences: what the window meant (the d20 bytes) and each
    // field that the instrument holds otherwise (before: meant, after: held). `configuration`
    // is then what the instrument holds.
    QByteArray intended;
    QList<RecordChange> deviations;
    // The entry holds a configuration (also in a list read without the configurations): an
    // address or name change of an instrument never read holds none.
    bool hasConfiguration = false;
};

// One programming run as it began: written before the first write to the instrument and
// settled when the run ends. One that was never settled (the program was killed, the power
// or the cable went) or whose writes broke off leaves the instrument half programmed.
struct ProgrammingJournal {
    qint64 id = 0;
    QDateTime started;
    QString serial;
    quint32 identity = 0;
    int port = 0;
    int address = -1;
    QString model;
    QString user;
    QString computer;
    QByteArray target;  // the configuration being written (d20 bytes)
    QByteArray before;  // the instrument's last known configuration before the run; empty: unknown
    QDateTime beforeTime;
    QString outcome;    // how the run ended; empty: it never ended
};

// One instrument as the record knows it: its newest model and the newest name known of it.
struct RecordedInstrument {
    QString serial;
    QString name;
    QString model;
    QDateTime lastSeen;
    int entries = 0;
};

// The instrument record ("Gerätearchiv"): every readout, programming, address and
// name change per instrument, in one SQLite file that the window and trkdvn-cli share.
//
// It never stops the work. An entry that cannot be written stays in memory and goes
// in with the next one that can; the first failure of a run of failures is reported
// once through `report`, and `unwritten` tells the caller what would be lost.
//
// It only ever opens, changes or moves a file it recognises as its own (the SQLite
// application id, or the table of its first version). Any other file is refused with
// the reason and left as it is. A file of its own that is damaged is moved aside (its
// date in the name, its permissions kept for the new one) by a record that writes; a
// record that only reads never creates, moves or changes a file.
//
// One object per thread: the database connection belongs to the thread that made it.
class InstrumentRecord {
  public:
    using Report = std::function<void(const QString&)>;

    static constexpr int kSchemaVersion = 2;
    // "TrkD": what marks a file as this program's archive.
    static constexpr quint32 kApplicationId = 0x54726b44;

    enum class Access { Write, Read };

    // file: where the record lives (with Write, the folder is made when missing).
    InstrumentRecord(const QString& file, Report report, Access access = Access::Write);
    ~InstrumentRecord();
    InstrumentRecord(const InstrumentRecord&) = delete;
    InstrumentRecord& operator=(const InstrumentRecord&) = delete;

    // Appends one entry. True when it (and every entry held back before) is written now.
    bool add(RecordEntry entry);
    // Entries not written yet.
    int pending() const { return int(waiting.size()); }
    const QList<RecordEntry>& unwritten() const { return waiting; }
    // Tries again to write what waits; true when nothing waits any more.
    bool retry() { return waiting.isEmpty() || flush(); }
    // Why the last write failed, in German words.
    QString writeFailure() const { return lastError; }
    // One line naming an entry, for a list of those that were not recorded.
    static QString entryLine(const RecordEntry& entry);

    // A programming run begins: its journal entry, written at once. Returns its id; 0 when it
    // could not be written (reported as a failed write).
    qint64 beginProgramming(ProgrammingJournal run);
    // The run ended. `settled`: the instrument holds a whole configuration (the write sequence
    // ran to its end, or nothing was written); earlier unsettled runs of the instrument are then
    // settled too. Otherwise the run stays open with `outcome` saying why.
    void endProgramming(qint64 id, bool settled, const QString& outcome);
    // The instrument's runs that left it half programmed, newest first (empty serial: all).
    QList<ProgrammingJournal> unsettled(const QString& serial = {});
    // "unvollständig programmiert am 08.12.2026 10:15 (von user@computer)"
    static QString unsettledText(const ProgrammingJournal& run);

    // Every instrument, by serial number.
    QList<RecordedInstrument> instruments();
    // One instrument's entries, newest first; for a list, without their configuration.
    QList<RecordEntry> history(const QString& serial, bool withConfiguration = true);
    std::optional<RecordEntry> entry(qint64 id);
    // The instrument's newest entry: what the next entry's changes count against.
    std::optional<RecordEntry> latest(const QString& serial);

    QString file() const { return path; }
    // Why the last query found nothing to read (the file cannot be opened, or a query
    // failed), in German words; empty when it read the file.
    QString readFailure() const { return readError; }
    // The event as the program names it ("Einlesen", "Programmieren", …).
    static QString eventText(RecordEntry::Event event);

  private:
    enum class Failure { None, Damaged, Other };
    bool open();
    bool openOnce(bool& damaged);
    // Makes a new file (`fresh`) or upgrades an older one of ours to this version; `raced`: another
    // program did it first.
    bool layOut(class QSqlQuery& q, class QSqlError& error, bool fresh, bool& raced);
    void close();
    // Writes every waiting entry in one transaction; a damaged file is moved aside and
    // the entries go into a new one.
    bool flush();
    Failure failure(const class QSqlError& error) const;
    void moveAside();
    void fail(const QString& why);
    QList<RecordEntry> select(const QString& where, const QVariant& value, bool withConfiguration = true);
    // Opens the file for a query; false (and `readError` set) when it cannot be.
    bool openForReading();
    void noteReadError(const class QSqlError& error);

    QString path;
    QString connection;
    Report report;
    Access access;
    int version = 0; // of the open file's schema
    bool opened = false;
    bool reported = false; // the current run of failures was reported
    QString lastError;
    QString readError;
    QList<RecordEntry> waiting;
};
