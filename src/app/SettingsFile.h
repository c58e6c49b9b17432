#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The INI file the settings live in, read and written as a whole. Every load
// reads the file afresh, so two running programs see each other's writes; every
// store writes the values over the file as it was loaded and replaces it in one
// step, so a failed write leaves the old file whole.
//
// A file that cannot be read, or that holds lines the INI reader would drop, is
// never written over.
//
// Without a path the values live in memory only: nothing is ever written.
class SettingsFile {
  public:
    enum class State { Missing, Ok, Unreadable, Corrupt };
    struct Snapshot {
        State state = State::Missing;
        QByteArray bytes;
        QHash<QString, QString> values; // "Group/Value" -> text
        // A file that is there and sound, or none yet: one that may be written.
        bool usable() const { return state == State::Ok || state == State::Missing; }
    };
    // "Group/Value" and its text.
    using Values = QList<std::pair<QString, QString>>;

    explicit SettingsFile(const QString& path);
    const QString& path() const { return filePath; }

    // The values as they stand: in the file, or as held.
    Snapshot load() const;
    // What the user is told about a file that is unreadable or damaged.
    QString fileProblemText(State state) const;

    // Sets the values over `base`, the snapshot they were worked out from. Returns what the
    // user is to be told when they could not be written, empty when they were.
    QString store(const Snapshot& base, const Values& values);

    // Between the two calls every value stored is kept in memory and loaded from there; the
    // release writes them to the file at once, and only when one differs from the file.
    // A damaged file is not held: every access keeps reporting it.
    void hold();
    // Returns what the user is to be told when the held values could not be written.
    QString release();

  private:
    class Copy;
    static Snapshot parse(const QByteArray& bytes);
    QString storeInFile(const Snapshot& base, const Values& values);
    QString writeProblemText() const;

    QString filePath;
    // While stores are held (always, without a file): the values as they stand, and those
    // stored since.
    std::optional<Snapshot> held;
    Values heldWrites;
};
