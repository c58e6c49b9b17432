#include "FileWindow.h"

#include "files/FileWriter.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {
const QString kNoSpace = QStringLiteral("Auf dem Datenträger ist nicht genug Speicherplatz frei.");
}

// A write that finds the disk full keeps the old file byte for byte, says so in
// German and never reports the file as saved: for a d20 file and for the settings.
TEST(FullDisk, FailedWritesKeepTheOldFileAndSayWhy) {
    SmallDisk disk;
    if (!disk.ok()) GTEST_SKIP() << "no right to mount a small file system here";

    FileWindow w;
    w.a().selectModel(ModelId::TRK520);
    w.input(8, -1);
    w.output(1);
    const QString path = disk.file("anlage.d20");
    w.save(path, QStringLiteral("erste Fassung"));
    const QByteArray before = FileWindow::bytes(path);
    ASSERT_FALSE(before.isEmpty());

    SettingsStore settings(disk.file("settings.ini"), w.prompter, [] { return QStringLiteral("/ordner"); });
    ASSERT_EQ(settings.writeSetting(QStringLiteral("ComPort"), QStringLiteral("Schnittstelle\\"),
                                    SettingsStore::DataKind::Raw, QStringLiteral("3"), 2),
              SettingsStore::kOk);
    const QByteArray settingsBefore = FileWindow::bytes(disk.file("settings.ini"));

    ASSERT_TRUE(disk.fill());
    w.prompter.shown.clear();
    w.type(w.m().neOut1Einschaltpunkt, "123");
    w.save(path, QStringLiteral("zweite Fassung mit einem längeren Kommentar"));
    EXPECT_EQ(FileWindow::bytes(path), before);
    EXPECT_EQ(w.m().StatusBar1.panels[2], QStringLiteral("Datei: anlage.d20 nicht gespeichert"));
    ASSERT_FALSE(w.prompter.shown.isEmpty());
    const QString message = w.prompter.shown.last().message.text;
    EXPECT_TRUE(message.endsWith(kNoSpace)) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("device"))) << message.toStdString();

    w.prompter.shown.clear();
    EXPECT_EQ(settings.writeSetting(QStringLiteral("ComPort"), QStringLiteral("Schnittstelle\\"),
                                    SettingsStore::DataKind::Raw, QStringLiteral("12"), 3),
              SettingsStore::kCannotReadOrSet);
    EXPECT_EQ(FileWindow::bytes(disk.file("settings.ini")), settingsBefore);
    ASSERT_FALSE(w.prompter.shown.isEmpty());
    EXPECT_TRUE(w.prompter.shown.last().message.text.contains(kNoSpace));
}

// A few kilobytes left: the write of a larger file gets part of the way (a short write, not an
// error at once). The old file stays whole, nothing half-written is left beside it.
TEST(FullDisk, ShortWriteKeepsTheOldFileWhole) {
    SmallDisk disk;
    if (!disk.ok()) GTEST_SKIP() << "no right to mount a small file system here";
    const QString path = disk.file("anlage.d20");
    ASSERT_TRUE(filewriter::replace(path, QByteArray(1000, 'a')).ok);
    ASSERT_TRUE(disk.fill());
    QFile filler(disk.file("filler"));
    ASSERT_TRUE(filler.resize(filler.size() - 8192)); // two pages free again

    const filewriter::Result result = filewriter::replace(path, QByteArray(32768, 'b'));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.reason.contains(kNoSpace)) << result.reason.toStdString();
    EXPECT_EQ(FileWindow::bytes(path), QByteArray(1000, 'a'));
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).size(), 2); // filler and the file
}

// A recording grows line by line until the disk is full: the addition that finds no room says
// so, and the file ends with the last whole line, never with part of one.
TEST(FullDisk, AppendThatFindsNoRoomLeavesWholeLines) {
    SmallDisk disk;
    if (!disk.ok()) GTEST_SKIP() << "no right to mount a small file system here";
    const QString path = disk.file("messwerte.csv");
    const QByteArray head("Zeit;Wert;Status\r\n");
    ASSERT_TRUE(filewriter::replace(path, head).ok);
    ASSERT_TRUE(disk.fill());
    QFile filler(disk.file("filler"));
    ASSERT_TRUE(filler.resize(filler.size() - 8192)); // two pages free again

    const QByteArray line = QByteArray(97, '7') + ";ok\r\n"; // no whole number of lines fills a page
    filewriter::Result result;
    int written = 0;
    while (written < 1000 && (result = filewriter::append(path, line)).ok)
        ++written;
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.reason.contains(kNoSpace)) << result.reason.toStdString();
    EXPECT_GT(written, 0);
    EXPECT_EQ(FileWindow::bytes(path).size(), head.size() + written * line.size());
}
