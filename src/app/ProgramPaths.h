#pragma once

#include <QString>
#include <QStringList>

// Where the program finds its own files and keeps the user's. Nothing else asks
// the file system where the program is.
//
// A program folder that holds the manuals and the bus library (the build tree, or
// the whole folder copied somewhere) is used as on the original platform: the
// program works in it. Otherwise the program is installed: the library sits in the
// package's private folder, the manuals in its data folder, and the user's d20
// files go to a folder in the user's documents. A self-contained folder the user
// cannot write sends the d20 files there too.
class ProgramPaths {
  public:
    // programFolder: the executable's folder; documentsFolder: the user's documents.
    ProgramPaths(const QString& programFolder, const QString& documentsFolder);
    // The running program's paths.
    static ProgramPaths forApplication();

    bool selfContained() const { return own; }
    // True when the program works in its own folder, as on the original platform.
    bool usesProgramFolder() const { return own && writable; }
    // Searched for the bus library in this order, before the system's library path.
    QStringList libraryFolders() const;
    QString manualFolder() const;
    // The folder the program works in: the default folder settings are built from it
    // and relative folders count from it.
    QString workingFolder() const;
    QString configFolder() const;
    // The instrument record, in the user's data folder: the window and trkdvn-cli share it
    // wherever each of them was started from.
    static QString recordFile();
    // Creates the per-user folders when the program keeps the user's files there.
    bool makeUserFolders() const;

  private:
    QString program;
    QString documents;
    bool own = false;
    bool writable = false;
};
