#include "app/SettingsStore.h"
#include "app/SettingsFile.h"
#include "config/NumberFormat.h"
#include "config/Prompter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kSchnittstelle = QStringLiteral("Schnittstelle\\");
const QString kSystem = QStringLiteral("System\\");
const QString kUser = QStringLiteral("User\\");
const QString kWork = QStringLiteral("/arbeit/ordner");

class SettingsStoreTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/Halvora/Trk_Dvn_Konfigurationsprogramm.ini");
    RecordingPrompter prompter;
    QString work = kWork;
    SettingsStore store{path, prompter, [this] { return work; }};

    QByteArray fileBytes() const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // The value as it stands in the file, read without the store.
    std::optional<QString> onDisk(const QString& group, const QString& name) const {
        QString section;
        for (const QString& line : QString::fromUtf8(fileBytes()).split(QLatin1Char('\n'))) {
            const QString t = line.trimmed();
            if (t.startsWith(QLatin1Char('[')))
                section = t.mid(1, t.size() - 2);
            else if (section == group && t.startsWith(name + QLatin1Char('=')))
                return t.mid(name.size() + 1);
        }
        return std::nullopt;
    }
    QString read(const QString& name, const QString& subKey, int16_t* status = nullptr) {
        QString text;
        int capacity = 255;
        const int16_t s = store.readSetting(name, subKey, text, capacity);
        if (status) *status = s;
        return text;
    }
};

TEST_F(SettingsStoreTest, FreshAccountGetsFoldersAndZeroDefaults) {
    store.ensureSettingsKeys();
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_EQ(onDisk("User", "Config1Path"), "/arbeit/ordner/Konfigurationen");
    EXPECT_EQ(onDisk("User", "Config2Path"), "/arbeit/ordner/Konfigurationen");
    EXPECT_EQ(onDisk("User", "Path"), "/arbeit/ordner");
    EXPECT_EQ(onDisk("User", "Manual"), "/arbeit/ordner/Manual");

    EXPECT_EQ(store.writeSetting("DezimalPunktTrenner", kSystem, SettingsStore::DataKind::Raw,
                                 QStringLiteral(","), 2),
              0);
    const std::pair<const char*, QString> values[] = {
        {"ComPort", kSchnittstelle},
        {"PegelWandler", kSchnittstelle},
        {"GeraeteTyp", kSystem},
        {"AnzeigeEinheit", "Extras\\"},
        {"Konfiguration", "SpecialFunctions\\"},
        {"LetzteKonfiguration", "SpecialFunctions\\"},
    };
    for (const auto& [name, subKey] : values) {
        QString text;
        int capacity = 255;
        EXPECT_EQ(store.readSetting(name, subKey, text, capacity), 0) << name;
        EXPECT_EQ(text, "0") << name;
        EXPECT_EQ(capacity, 2) << name; // "0" and its terminator
    }
    EXPECT_EQ(read("DezimalPunktTrenner", kSystem), ",");
    EXPECT_EQ(onDisk("Schnittstelle", "ComPort"), "0");
    EXPECT_EQ(onDisk("SpecialFunctions", "LetzteKonfiguration"), "0");
    EXPECT_TRUE(prompter.shown.isEmpty());

    // Later starts, from another folder, keep the folders of the first.
    work = QStringLiteral("/anderswo");
    store.ensureSettingsKeys();
    EXPECT_EQ(onDisk("User", "Path"), "/arbeit/ordner");
}

TEST_F(SettingsStoreTest, EmptyFileCountsAsFreshAccount) {
    writeFile("");
    store.ensureSettingsKeys();
    EXPECT_EQ(onDisk("User", "Manual"), "/arbeit/ordner/Manual");
}

TEST_F(SettingsStoreTest, ByteCounts) {
    using K = SettingsStore::DataKind;
    struct Case {
        K kind;
        int number;
        int count;
        int expectedCount;
        const char* stored;
    };
    const Case cases[] = {
        {K::Int16, 66, 2, 3, "66"},   {K::Int16, 6, 2, 2, "6"},           {K::Int16, 6, 4, 4, "6"},
        {K::Int16, 0, 0, 2, "0"},     {K::Int16, 999, 4, 4, "999"},       {K::Int16, 1000, 4, 5, "1000"},
        {K::Int16, -5, 2, 3, "-5"},   {K::Int16, -32768, 4, 7, "-32768"}, {K::UInt8, 7, 9, 2, "7"},
        {K::UInt8, 200, 2, 4, "200"}, {K::Raw, 1234, 4, 4, "123"},        {K::Raw, 12, 4, 4, "12"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(store.writeSetting("PegelWandler", kSchnittstelle, c.kind, c.number, c.count), 0)
            << c.number;
        EXPECT_EQ(store.lastByteCount(), c.expectedCount) << c.number;
        EXPECT_EQ(read("PegelWandler", kSchnittstelle), c.stored) << c.number;
    }
    // Raw text is cut where the registry would cut it.
    EXPECT_EQ(store.writeSetting("DezimalPunktTrenner", kSystem, K::Raw, QStringLiteral(",x"), 1), 0);
    EXPECT_EQ(store.lastByteCount(), 2);
    EXPECT_EQ(read("DezimalPunktTrenner", kSystem), ",");
    EXPECT_EQ(
        store.writeSetting("DezimalPunktTrenner", kSystem, K::Raw, QString::fromUtf16(u"ab\0cd", 5), 10), 0);
    EXPECT_EQ(read("DezimalPunktTrenner", kSystem), "ab");
    // A number given as text is checked before it is stored.
    EXPECT_EQ(store.writeSetting("ComPort", kSchnittstelle, K::Int16, QStringLiteral("12"), 2), 0);
    EXPECT_EQ(store.lastByteCount(), 3);
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(SettingsStoreTest, NumbersThatDoNotFitAreRefused) {
    using K = SettingsStore::DataKind;
    store.writeSetting("ComPort", kSchnittstelle, K::Int16, 3, 2);
    EXPECT_EQ(store.writeSetting("ComPort", kSchnittstelle, K::Int16, 70000, 4), -2);
    EXPECT_EQ(store.writeSetting("ComPort", kSchnittstelle, K::UInt8, 256, 4), -2);
    EXPECT_EQ(store.writeSetting("ComPort", kSchnittstelle, K::Int16, QStringLiteral("abc"), 4), -2);
    EXPECT_EQ(read("ComPort", kSchnittstelle), "3");
    ASSERT_EQ(prompter.shown.size(), 3);
    EXPECT_EQ(prompter.shown[2].message.text, "'abc' ist kein gültiger Integerwert\n[Schnittstelle] ComPort");
}

TEST_F(SettingsStoreTest, ValuesRoundTripAndKeepTheFileSound) {
    const QString tricky[] = {
        QStringLiteral(","),           QStringLiteral(";"),
        QStringLiteral("a, b; \"c\""), QStringLiteral("C:\\Daten\\"),
        QStringLiteral("  Müßig "),    QStringLiteral("@Variant(x)"),
        QStringLiteral("[User]"),      QStringLiteral("x=y"),
        QStringLiteral("Zeile\nzwei"), QString(),
    };
    for (const QString& value : tricky) {
        ASSERT_EQ(store.writeFolderSetting(value, 1), 0) << value.toStdString();
        QString folder;
        EXPECT_EQ(store.readFolderSetting(folder, 1), 0);
        EXPECT_EQ(folder, value);
    }
    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.texts().join('|').toStdString();
}

TEST_F(SettingsStoreTest, HandEditsAreReadAsWritten) {
    writeFile(
        "[System]\nDezimalPunktTrenner=,\n; Kommentar\n# auch einer\n\n[Schnittstelle]\r\nComPort=7\r\n");
    EXPECT_EQ(read("DezimalPunktTrenner", kSystem), ",");
    EXPECT_EQ(read("ComPort", kSchnittstelle), "7");
    // Comments in either form and a byte order mark leave the file writable.
    writeFile("\xEF\xBB\xBF# Notiz\n[Schnittstelle]\nComPort=7\n");
    EXPECT_EQ(store.writeSetting("PegelWandler", kSchnittstelle, SettingsStore::DataKind::Int16, 6, 2), 0);
    EXPECT_EQ(onDisk("Schnittstelle", "ComPort"), "7");
    EXPECT_EQ(onDisk("Schnittstelle", "PegelWandler"), "6");
    // A value deleted by hand comes back as "0" and is stored again.
    writeFile("[Schnittstelle]\nPegelWandler=66\n");
    int16_t status = 1;
    EXPECT_EQ(read("ComPort", kSchnittstelle, &status), "0");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(onDisk("Schnittstelle", "ComPort"), "0");
    EXPECT_EQ(onDisk("Schnittstelle", "PegelWandler"), "66");
    // So does a folder: the working folder is no stand-in for a value that is merely missing.
    QString folder;
    EXPECT_EQ(store.readFolderSetting(folder, 1), 0);
    EXPECT_EQ(folder, "0");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(SettingsStoreTest, ValueLongerThanCapacity) {
    const QString longText(255, QLatin1Char('x'));
    store.writeFolderSetting(longText, 2);
    QString text = QStringLiteral("unverändert");
    int capacity = 255;
    EXPECT_EQ(store.readSetting("Config2Path", kUser, text, capacity), -10);
    EXPECT_EQ(capacity, 256);
    EXPECT_EQ(text, "unverändert");
    EXPECT_TRUE(prompter.shown.isEmpty());
    capacity = 256;
    EXPECT_EQ(store.readSetting("Config2Path", kUser, text, capacity), 0);
    EXPECT_EQ(text, longText);
}

TEST_F(SettingsStoreTest, FolderSelectorsAndFallback) {
    store.ensureSettingsKeys();
    QString folder;
    EXPECT_EQ(store.readFolderSetting(folder, 1), 0);
    EXPECT_EQ(folder, "/arbeit/ordner/Konfigurationen");
    EXPECT_EQ(store.readFolderSetting(folder, 333), 0);
    EXPECT_EQ(folder, "/arbeit/ordner/Manual");
    EXPECT_EQ(store.readFolderSetting(folder, 42), 0);
    EXPECT_EQ(folder, "/arbeit/ordner");

    // A folder too long for the program is replaced by the working folder.
    work = QStringLiteral("/neu");
    store.writeFolderSetting(QString(300, QLatin1Char('d')), 333);
    EXPECT_EQ(store.readFolderSetting(folder, 333), 1);
    EXPECT_EQ(folder, "/neu");
    EXPECT_EQ(onDisk("User", "Manual"), "/neu");
    EXPECT_EQ(onDisk("User", "Config1Path"), "/arbeit/ordner/Konfigurationen");

    // For the program folder the two configuration folders follow.
    store.writeFolderSetting(QString(300, QLatin1Char('d')), 0);
    EXPECT_EQ(store.readFolderSetting(folder, 0), 1);
    EXPECT_EQ(onDisk("User", "Path"), "/neu");
    EXPECT_EQ(onDisk("User", "Config1Path"), "/neu");
    EXPECT_EQ(onDisk("User", "Config2Path"), "/neu");
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(SettingsStoreTest, StatusMessages) {
    const std::pair<int16_t, const char*> table[] = {
        {0, "Kein Fehler."},
        {-1, "Der Registrierungs-Schlüssel konnte nicht geöffnet werden!"},
        {-2, "Der Registrierungs-Schlüssel konnte nicht gefunden werden"},
        {-10, "Der Daten-Puffer für die Regsitrierungs-Daten ist zu klein"},
        {-3, "Ein unbekannter Fehler ist aufgetreten!"},
        {1, "Ein unbekannter Fehler ist aufgetreten!"},
    };
    for (const auto& [status, text] : table) {
        prompter.shown.clear();
        store.reportSettingsStatus(status);
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0].message.text, QString::fromUtf8(text));
        EXPECT_EQ(prompter.shown[0].message.caption, "GetLastError");
        EXPECT_EQ(prompter.shown[0].message.icon, Prompter::Icon::Error);
    }

    prompter.shown.clear();
    store.reportSystemError("Zugriff verweigert.", "[System] GeraeteTyp");
    store.reportSystemError("Zugriff verweigert.", "x"); // one character is no key path
    store.reportSystemError("Zugriff verweigert.", "");
    EXPECT_EQ(prompter.texts(), QStringList({"Zugriff verweigert.\n[System] GeraeteTyp",
                                             "Zugriff verweigert.", "Zugriff verweigert."}));
    EXPECT_EQ(prompter.shown[0].message.caption, "GetLastError");
    EXPECT_EQ(prompter.shown[0].message.icon, Prompter::Icon::Information);
    EXPECT_EQ(prompter.shown[0].message.buttons, QList<Prompter::Button>{Prompter::Button::Ok});
}

TEST_F(SettingsStoreTest, UnknownSubKeyCannotBeOpened) {
    EXPECT_EQ(read("ComPort", QStringLiteral("Schnitstelle\\")), QString());
    int16_t status = 0;
    read("ComPort", QStringLiteral("Schnitstelle\\"), &status);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(store.writeSetting("ComPort", "Schnitstelle\\", SettingsStore::DataKind::Int16, 3, 2), -1);
    EXPECT_EQ(prompter.shown.size(), 3);
    EXPECT_FALSE(QFile::exists(path));
    // Names compare without case, like registry keys.
    EXPECT_EQ(store.writeSetting("ComPort", "schnittstelle\\", SettingsStore::DataKind::Int16, 3, 2), 0);
    EXPECT_EQ(onDisk("Schnittstelle", "ComPort"), "3");
}

TEST_F(SettingsStoreTest, DamagedFileIsReportedAndNeverOverwritten) {
    const QByteArray damaged[] = {
        QByteArray("[Schnittstelle]\nComPort=3\nhier fehlt etwas\n"),
        QByteArray("[System\nGeraeteTyp=5\n"),
        QByteArray("[User]\nPath=C:\\M\xe4rz\n"), // 8-bit text, not UTF-8
        QByteArray("\x00\x01\x02\x03ComPort=1", 13),
        QByteArray("[User]\nPath\\=x\n"), // refused by QSettings only once it reads the file
    };
    for (const QByteArray& bytes : damaged) {
        writeFile(bytes);
        prompter.shown.clear();

        store.ensureSettingsKeys();
        int16_t status = 0;
        read("ComPort", kSchnittstelle, &status);
        EXPECT_EQ(status, -1);
        EXPECT_EQ(store.writeSetting("ComPort", kSchnittstelle, SettingsStore::DataKind::Int16, 4, 2), -1);
        QString folder;
        EXPECT_EQ(store.readFolderSetting(folder, 0), 1);
        EXPECT_EQ(folder, kWork);

        EXPECT_EQ(fileBytes(), bytes);
        // One box per access, none for writes that were never tried.
        ASSERT_EQ(prompter.shown.size(), 4);
        for (const auto& s : prompter.shown) {
            EXPECT_TRUE(s.message.text.startsWith("Die Einstellungsdatei „" + path + "“ ist beschädigt."))
                << s.message.text.toStdString();
            EXPECT_EQ(s.message.caption, "GetLastError");
        }
        EXPECT_TRUE(prompter.shown[1].message.text.endsWith("\n[Schnittstelle] ComPort"));
    }
}

TEST_F(SettingsStoreTest, FileTheWriterWouldDamageIsReportedAndKept) {
    // Reads well, but QSettings writes the key back as "Path\=", which it then refuses.
    const QByteArray bytes("[User]\nPath/=x\n");
    writeFile(bytes);
    EXPECT_EQ(store.writeSetting("ComPort", kSchnittstelle, SettingsStore::DataKind::Int16, 4, 2), -2);
    EXPECT_EQ(fileBytes(), bytes);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].message.text,
              "Die Einstellungsdatei „" + path +
                  "“ ist beschädigt. Sie wird nicht überschrieben; bitte "
                  "korrigieren oder löschen Sie die Datei.\n[Schnittstelle] ComPort");
}

TEST_F(SettingsStoreTest, UnreadableFile) {
    QDir().mkpath(path); // a folder where the file should be
    int16_t status = 0;
    read("ComPort", kSchnittstelle, &status);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(store.writeSetting("ComPort", kSchnittstelle, SettingsStore::DataKind::Int16, 4, 2), -1);
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[0].message.text,
              "Die Einstellungsdatei „" + path + "“ kann nicht gelesen werden.\n[Schnittstelle] ComPort");
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(SettingsStoreTest, FileWithoutReadPermission) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    writeFile("[Schnittstelle]\nComPort=3\n");
    QFile::setPermissions(path, QFileDevice::Permissions());
    int16_t status = 0;
    read("ComPort", kSchnittstelle, &status);
    EXPECT_EQ(status, -1);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(fileBytes(), "[Schnittstelle]\nComPort=3\n");
}

TEST_F(SettingsStoreTest, FailedWriteDoesNotResurface) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes every file";
    writeFile("[Schnittstelle]\nComPort=3\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    EXPECT_EQ(store.writeSetting("ComPort", kSchnittstelle, SettingsStore::DataKind::Int16, 5, 2), -2);
    EXPECT_EQ(read("ComPort", kSchnittstelle), "3");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(store.writeSetting("PegelWandler", kSchnittstelle, SettingsStore::DataKind::Int16, 6, 2), 0);
    EXPECT_EQ(onDisk("Schnittstelle", "ComPort"), "3");
}

TEST_F(SettingsStoreTest, StoreThatCannotBeWritten) {
    // The folder of the file cannot be made: a plain file stands in its way.
    QFile blocker(dir.path() + "/block");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore blocked(dir.path() + "/block/x.ini", prompter, [] { return kWork; });

    blocked.ensureSettingsKeys();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].message.text.endsWith(
        "kann nicht geschrieben werden.\nDer Ordner „" + dir.path() + "/block“ ist nicht vorhanden.\n[User]"))
        << prompter.shown[0].message.text.toStdString();
    EXPECT_EQ(blocked.writeSetting("ComPort", kSchnittstelle, SettingsStore::DataKind::Int16, 4, 2), -2);
    QString text;
    int capacity = 255;
    EXPECT_EQ(blocked.readSetting("ComPort", kSchnittstelle, text, capacity), -2);
    EXPECT_EQ(prompter.shown.size(), 3);
}

// Text to write that comes out empty never replaces the file, however little it held.
TEST_F(SettingsStoreTest, EmptyTextIsNeverWritten) {
    writeFile("\xEF\xBB\xBF");
    SettingsFile file(path);
    file.store(file.load(), {});
    EXPECT_EQ(fileBytes(), "\xEF\xBB\xBF");
}

TEST(SettingsStoreConversion, StrictIntegers) {
    const std::pair<const char*, int> good[] = {
        {"0", 0},
        {"-12", -12},
        {"+7", 7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
    };
    for (const auto& [text, value] : good)
        EXPECT_EQ(NumberFormat::toInteger(text), value) << text;
    const char* bad[] = {"",     " 1", "1 ", "abc", "1.5",        "1,5", "$1F",
                         "0x10", "+",  "-",  "--1", "2147483648", "٣"};
    for (const char* text : bad)
        EXPECT_EQ(NumberFormat::toInteger(QString::fromUtf8(text)), std::nullopt) << text;
    EXPECT_EQ(NumberFormat::integerErrorText("abc"), "'abc' ist kein gültiger Integerwert");
}

} // namespace
