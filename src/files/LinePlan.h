#pragma once

#include "files/FileWriter.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

// The plan of a line: which instrument belongs at which address of one port, and the d20
// file that holds its configuration. Stored as JSON with a version number.
struct LinePlanEntry {
    int16_t address = 0;
    std::optional<int32_t> identity; // the expected identity word; none before the first scan
    QString name;                    // the instrument's name; empty: it keeps none
    QString model;                   // the model as the "&Typ" menu names it
    QString d20File;                 // relative to the plan's folder, '/' between folders

    // The entry as messages name it: its name, else "Adresse N".
    QString title() const;
};

struct LinePlan {
    static constexpr int kVersion = 1;
    // A plan of 240 instruments takes some 40 KiB; anything near this is no plan.
    static constexpr qint64 kMaxBytes = 1 << 20;
    // A d20 path is a file name with a folder or two, not a document.
    static constexpr int kMaxD20Length = 255;

    int16_t port = 1;
    int16_t converter = 0;
    QList<LinePlanEntry> instruments; // rising addresses, each address once

    const LinePlanEntry* at(int16_t address) const;
    // The planned addresses, for the scan to poll first.
    QList<int16_t> addresses() const;
};

namespace lineplan {

struct ReadResult {
    std::optional<LinePlan> plan;
    QString reason; // German, naming the file and what is wrong; empty on success
};

// Reads a plan; a malformed one is refused as a whole with the first problem found, so
// nothing of it is silently dropped.
ReadResult read(const QString& path);
ReadResult parse(const QByteArray& json, const QString& path);

QByteArray toJson(const LinePlan& plan);
// Written through the file writer: a failed write leaves the old plan as it was.
filewriter::Result write(const QString& path, const LinePlan& plan);

// The d20 file of an entry as the plan names it, made absolute; `planPath` is the plan file's.
QString d20Path(const QString& planPath, const LinePlanEntry& entry);

// An entry's d20 file as it may be opened: a regular file inside the plan's folder or one of its
// subfolders once every link is followed. A plan handed on may point anywhere (a link to another
// folder, a device, a pipe that never ends); then `problem` names the entry and why, and `path`
// is not to be opened.
struct D20File {
    QString path; // links resolved
    QString problem;
};
D20File d20File(const QString& planPath, const LinePlanEntry& entry);

// Where `path` leads once every link is followed, dangling ones included; empty when that cannot
// be told (a loop, a missing folder on the way).
QString resolvedPath(const QString& path);
// `path`, links followed, lies inside the folder of `planPath` or one of its subfolders.
bool insideFolder(const QString& planPath, const QString& path);

// A d20 file's path as the plan stores it: relative to the plan's folder.
QString relativeD20(const QString& planPath, const QString& d20Path);

// A value from a file put into a message: at most 40 characters and "…", control characters
// shown as "?", so a hostile value neither floods nor steers the terminal.
QString shortened(const QString& text);

} // namespace lineplan
