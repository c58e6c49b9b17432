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
};

struct LinePlan {
    static constexpr int kVersion = 1;

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

// The d20 file of an entry as a path the program opens; `planPath` is the plan file's.
QString d20Path(const QString& planPath, const LinePlanEntry& entry);
// A d20 file's path as the plan stores it: relative to the plan's folder.
QString relativeD20(const QString& planPath, const QString& d20Path);

} // namespace lineplan
