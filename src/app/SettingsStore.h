#pragma once

#include "app/SettingsFile.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class Prompter;

// The user's settings as typed values, kept in one INI file per user (SettingsFile).
// The groups stand for the sub-keys "Schnittstelle\", "Extras\", "SpecialFunctions\",
// "User\", "System\" and "Temp\"; every value is stored as text. Every operation
// opens the file afresh, so two running programs see each other's writes.
//
// A file that cannot be read, or that holds lines the INI reader would drop, is
// never written over: every access reports it and fails, so the user can repair
// or remove it instead of losing it unnoticed.
//
// Without a file path the settings live in memory only: nothing is ever written.
class SettingsStore {
  public:
    enum class DataKind {
        Int16, // decimal text of a signed 16-bit number
        UInt8, // decimal text of an unsigned 8-bit number
        Raw,   // text stored as given, cut to the byte count
    };

    // Statuses of the value operations.
    static constexpr int16_t kOk = 0;
    static constexpr int16_t kCannotOpen = -1;
    static constexpr int16_t kCannotReadOrSet = -2;
    static constexpr int16_t kBufferTooSmall = -10;

    // The sub-keys the program's values live under.
    static inline const QString kSchnittstelle = QStringLiteral("Schnittstelle\\");
    static inline const QString kExtras = QStringLiteral("Extras\\");
    static inline const QString kSpecialFunctions = QStringLiteral("SpecialFunctions\\");
    static inline const QString kUser = QStringLiteral("User\\");
    static inline const QString kSystem = QStringLiteral("System\\");

    // Selectors of the folder operations; every other number means `Path`.
    static constexpr int kConfig1Path = 1;
    static constexpr int kConfig2Path = 2;
    static constexpr int kManual = 333;
    static constexpr int kPath = 0;

    // workingFolder gives the folder the defaults are built from (the current
    // directory when not given).
    SettingsStore(const QString& filePath, Prompter& prompter, std::function<QString()> workingFolder = {});

    // The per-user INI file of this program.
    static QString defaultPath();
    const QString& filePath() const { return file.path(); }

    // Makes sure the settings exist; on a fresh account writes the four folder values.
    void ensureSettingsKeys();

    // Between the two calls every value written is kept in memory and read back from there;
    // the release writes them to the file at once, and only when one differs from the file.
    // A start-up that creates a dozen values thus writes the file once.
    void holdWrites();
    void releaseWrites();
    class HeldWrites {
      public:
        explicit HeldWrites(SettingsStore& s) : store(s) { store.holdWrites(); }
        ~HeldWrites() { store.releaseWrites(); }
        HeldWrites(const HeldWrites&) = delete;
        HeldWrites& operator=(const HeldWrites&) = delete;

      private:
        SettingsStore& store;
    };
    // The manuals' folder written on a fresh account when they do not sit below the
    // working folder (an installed program).
    void setManualFolder(const QString& folder) { manualDefault = folder; }

    // Reads one value as text. capacity: on entry the room of the caller's buffer,
    // on return the size of the value in characters, terminator included (-10 when
    // it does not fit; text is then left alone). A missing value is created as "0".
    int16_t readSetting(const QString& valueName, const QString& subKey, QString& text, int& capacity);
    // Reads one value of up to 254 characters; a failure is reported and gives nullopt.
    std::optional<QString> readValue(const QString& valueName, const QString& subKey);

    // Writes one value. byteCount counts characters plus the terminator (one byte
    // per character); it is raised to at least 2, and a number above 9 always gets
    // its text length + 1. Numbers are never cut; raw text is cut to byteCount - 1
    // characters and at an embedded NUL.
    int16_t writeSetting(const QString& valueName, const QString& subKey, DataKind kind, int number,
                         int byteCount);
    int16_t writeSetting(const QString& valueName, const QString& subKey, DataKind kind, const QString& data,
                         int byteCount);
    // Byte count the last writeSetting used (0 when it stopped before preparing the value).
    int lastByteCount() const { return lastCount; }

    // Returns 0 when the stored folder was used, 1 when the working folder was
    // substituted (the value could not be read or was too long) and stored.
    int readFolderSetting(QString& folder, int selector);
    int16_t writeFolderSetting(const QString& folder, int selector);

    void reportSettingsStatus(int16_t status);
    void reportSystemError(const QString& platformText, const QString& extra);

    static QString statusText(int16_t status);
    static QString folderValueName(int selector);


  private:
    using Snapshot = SettingsFile::Snapshot;
    // Loads the file for one value; reports and returns false when it cannot be used.
    bool openKey(const QString& subKey, const QString& valueName, QString& group, Snapshot& snap);
    // Stores the values over `base`; a failure is reported with `where`, the value's key path.
    int16_t store(const Snapshot& base, const SettingsFile::Values& values, const QString& where);
    int16_t writeText(const QString& valueName, const QString& subKey, const QString& text, int count);
    QString workingFolderNative() const;

    SettingsFile file;
    Prompter& prompter;
    std::function<QString()> workingFolder;
    QString manualDefault;
    int lastCount = 0;
};
