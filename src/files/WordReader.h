#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// The whitespace-separated words of a Windows-1252 text file, one at a time.
// Blanks, tabs and line ends (CR LF or LF) all separate words. A file of any
// content is read safely: a word never grows beyond kMaxWordBytes, the rest
// of such a run of characters comes as the next word.
class WordReader {
  public:
    static constexpr qsizetype kMaxWordBytes = 65536;

    explicit WordReader(const QString& fileName);
    // The words of a file read before.
    explicit WordReader(QByteArray bytes);

    // A file that cannot be read whole, or one beyond this size, is read up to where
    // reading stopped. A d20 file holds a few kilobytes; choosing a huge file by
    // mistake must not take the memory.
    static constexpr qint64 kMaxFileBytes = qint64(64) << 20;
    // The file's bytes; none when it cannot be opened.
    static std::optional<QByteArray> readFile(const QString& fileName);

    bool isOpen() const { return opened; }
    // The next word; false at the end of the file or when it could not be opened.
    bool next(QString& word);
    // Words returned so far.
    int count() const { return words; }

  private:
    bool fill();

    QFile file;
    bool opened = false;
    QByteArray buffer;
    qsizetype pos = 0;
    int words = 0;
};
