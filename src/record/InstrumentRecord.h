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
// once through `report`. A damaged file is moved aside (its date in the name) and a
// new one started, reported with both names.
//
// One object per thread: the database connection belongs to the thread that made it.
class InstrumentRecord {
  public:
    using Report = std::function<void(const QString&)>;

    static constexpr int kSchemaVersion = 1;

    // file: where the record lives (the folder is made when missing).
    InstrumentRecord(const QString& file, Report report);
    ~InstrumentRecord();
    InstrumentRecord(const InstrumentRecord&) = delete;
    InstrumentRecord& operator=(const InstrumentRecord&) = delete;

    // Appends one entry. True when it (and every entry held back before) is written now.
    bool add(RecordEntry entry);
    // Entries not written yet.
    int pending() const { return int(waiting.size()); }

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
    bool opened = false;
    bool reported = false; // the current run of failures was reported
    QString lastError;
    QString readError;
    QList<RecordEntry> waiting;
};
