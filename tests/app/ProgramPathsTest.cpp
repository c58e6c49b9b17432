#include "app/ProgramPaths.h"
#include "bus/LibraryBinding.h"
#include "support/AppFixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const QString kBin = QStringLiteral(TRAXBUS_LIBDIR);

bool copyInto(const QString& file, const QString& folder) {
    return QDir().mkpath(folder) && QFile::copy(file, QDir(folder).filePath(QFileInfo(file).fileName()));
}

} // namespace

TEST(ProgramPaths, BuildFolderIsUsedAsOnTheOriginalPlatform) {
    QTemporaryDir documents;
    const ProgramPaths paths(kBin, documents.path());
    EXPECT_TRUE(paths.selfContained());
    EXPECT_TRUE(paths.usesProgramFolder());
    EXPECT_EQ(paths.libraryFolders().value(0), QDir::cleanPath(kBin));
    EXPECT_EQ(paths.manualFolder(), QDir::cleanPath(kBin + QStringLiteral("/Manual")));
    EXPECT_EQ(paths.workingFolder(), QDir::cleanPath(kBin));
    EXPECT_EQ(paths.configFolder(), QDir::cleanPath(kBin + QStringLiteral("/Konfigurationen")));
    EXPECT_TRUE(paths.makeUserFolders());
    EXPECT_TRUE(QDir(documents.path()).isEmpty()) << "nothing is made in the user's documents";
}

// A temporary folder stands in for /usr, laid out as the package installs it.
TEST(ProgramPaths, InstalledProgramFindsItsFilesAndKeepsTheUsersInTheDocuments) {
    AppFixture f;
    const QString usr = f.dir.filePath(QStringLiteral("usr"));
    const QString documents = f.dir.filePath(QStringLiteral("home/Dokumente"));
    ASSERT_TRUE(QDir().mkpath(usr + QStringLiteral("/bin")));
    ASSERT_TRUE(
        copyInto(kBin + QStringLiteral("/TRAXB32E.so"), usr + QStringLiteral("/" TRK_INSTALL_LIBDIR)));
    ASSERT_TRUE(copyInto(kBin + QStringLiteral("/Manual/OEM_Anleitung.html"),
                         usr + QStringLiteral("/" TRK_INSTALL_DATADIR "/Manual")));

    const ProgramPaths paths(usr + QStringLiteral("/bin"), documents);
    EXPECT_FALSE(paths.selfContained());
    EXPECT_FALSE(paths.usesProgramFolder());
    LibraryBinding library(paths.libraryFolders());
    ASSERT_TRUE(library.load()) << library.loadError().toStdString();
    EXPECT_TRUE(library.isBound(BusLibrary::Entry::GetVersionNumber));

    // A fresh account: d20 files in the user's documents, manuals where the package put them.
    ASSERT_TRUE(paths.makeUserFolders());
    const QString configs = documents + QStringLiteral("/TRK-DVN/Konfigurationen");
    EXPECT_EQ(paths.configFolder(), configs);
    EXPECT_TRUE(QDir(configs).exists());
    const QString working = paths.workingFolder();
    f.store = std::make_unique<SettingsStore>(f.iniPath(), f.prompter, [working] { return working; });
    f.store->setManualFolder(paths.manualFolder());
    MainHandlers& h = f.start();
    h.FormActivate();
    EXPECT_EQ(f.stored(QStringLiteral("User"), QStringLiteral("Config1Path")),
              QDir::toNativeSeparators(configs));
    h._mHilfe_KurzanleitungClick();
    ASSERT_EQ(f.prompter.openedDocuments.size(), 1);
    EXPECT_TRUE(QFile::exists(f.prompter.openedDocuments[0])) << f.prompter.openedDocuments[0].toStdString();
}

// Only one of the two marks of a program folder is not enough: the program is then installed.
TEST(ProgramPaths, AFolderWithOnlyTheLibraryOrOnlyTheManualsIsNotTheProgramsOwn) {
    QTemporaryDir root;
    const QString library = root.filePath(QStringLiteral("nur-bibliothek"));
    const QString manuals = root.filePath(QStringLiteral("nur-handbuch"));
    ASSERT_TRUE(copyInto(kBin + QStringLiteral("/TRAXB32E.so"), library));
    ASSERT_TRUE(copyInto(kBin + QStringLiteral("/Manual/OEM_Anleitung.html"), manuals + QStringLiteral("/Manual")));
    for (const QString& folder : {library, manuals}) {
        const ProgramPaths paths(folder, root.filePath(QStringLiteral("Dokumente")));
        EXPECT_FALSE(paths.selfContained()) << folder.toStdString();
        EXPECT_NE(paths.workingFolder(), folder);
    }
}
