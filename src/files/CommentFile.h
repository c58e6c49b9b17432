#pragma once

#include <QString>

// The comment hand-over file "COMMENT": the comment window writes it, the file
// writer reads it back into the header. The folder is the saving run's own, never
// one of the user's.
namespace commentfile {

// The folder, a separator and "COMMENT"; a folder that already ends in a
// separator gives a doubled one, which the file system reads as one.
QString path(const QString& folder);

// Writes the comment followed by "</END>" and a line end (Windows-1252, CR LF).
// Returns false when the file cannot be written; nobody reports that.
bool write(const QString& folder, const QString& comment);

// The comment as the header carries it: every word after one blank, so runs of
// blanks shrink to one and an empty comment is a single blank. Reading ends at
// the first "</END>"; a missing file or one without "</END>" gives the words
// found before its end.
QString read(const QString& folder);

} // namespace commentfile
