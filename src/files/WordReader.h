#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The whitespace-separated words of a Windows-1252 text file, one at a time.
// Blanks, tabs and line ends (CR LF or LF) all separate words. A file of any
// content is read safely: a word never grows beyond kMaxWordBytes, the rest
// of such a run of characters comes as the next word.
class WordReader {
  public:
    static constexpr qsizetype kMaxWordBytes = 65536;

    explicit WordReader(const QString& fileName);

    bool isOpen() const { return file.isOpen(); }
    // The next word; false at the end of the file or when it could not be opened.
    bool next(QString& word);
    // Words returned so far.
    int count() const { return words; }

  private:
    bool fill();

    QFile file;
    QByteArray buffer;
    qsizetype pos = 0;
    int words = 0;
};
