#pragma once

#include <QByteArray>
#include <QString>

// Every file the program writes goes through here. The bytes go to a temporary
// file beside the target, are flushed and checked, and only then take the old
// file's place; a failed write leaves the old file byte for byte as it was.
namespace filewriter {

struct Result {
    bool ok = false;
    QString reason; // why it failed, in German, for a message box; empty on success
};

Result replace(const QString& path, const QByteArray& bytes);

// Adds `bytes` to the end of an existing file (a recording made with replace first). The bytes
// go out unbuffered and are flushed; a write that fails cuts the file back to its old length,
// so it ends with the last whole addition and never with half of one.
Result append(const QString& path, const QByteArray& bytes);

// The system's reason (an errno value) for a write to `path` failing, in words a user of
// this program reads; the toolkit's own texts are English.
QString reasonFor(int error, const QString& path);

} // namespace filewriter
