#include "app/SystemViewer.h"
#include "app/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A viewer as a shell script; the document's path comes as its first argument.
SystemViewer script(const char* body, int waitMs = 2000) {
    return SystemViewer(QStringLiteral("sh"),
                        {QStringLiteral("-c"), QLatin1String(body), QStringLiteral("viewer")}, waitMs);
}

QString writePage(const QDir& dir, const char* name) {
    QFile file(dir.filePath(QLatin1String(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><head><title>Seite</title></head><body></body></html>");
    return file.fileName();
}

} // namespace

// The opener's answer is taken: a viewer that is there but refuses (a browser run as root)
// or ends with an error, or no opener at all, means nothing was shown, so the program's own
// help window takes over. A viewer still running after the short wait has the page open.
TEST(SystemViewer, TellsAFailingViewerFromAWorkingOne) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QTemporaryDir dir;
    const QString page = writePage(QDir(dir.path()), "OEM_Anleitung.html");

    EXPECT_FALSE(script("echo 'Running as root is not supported' >&2; exit 1").open(page));
    EXPECT_FALSE(SystemViewer(QDir(dir.path()).filePath(QStringLiteral("kein-xdg-open"))).open(page));
    EXPECT_FALSE(script("kill -9 $$").open(page));
    EXPECT_TRUE(script("test -f \"$1\"").open(page));
    EXPECT_FALSE(script("test -f \"$1\"").open(page + QStringLiteral(".fehlt")));

    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(script("sleep 1", 100).open(page));
    EXPECT_LT(clock.elapsed(), 900); // not waited for
    // The viewer that went on running cleans up after itself once it ends.
    while (clock.elapsed() < 2000) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// "Inhalt" leads to the handbook's contents, whichever page the window was opened on.
TEST(SystemViewer, HelpWindowContentsAreTheHandbooksContents) {
    QTemporaryDir dir;
    const QDir manual(dir.path());
    const QString contents = writePage(manual, "OEM_Anleitung.html");
    const QString extended = writePage(manual, "OEM_Anleitung_Erweiterte_Konfiguration.html");
    writePage(manual, "OEM_Messbereiche.html");
    RecordingPrompter prompter;
    HelpWindow help(extended, prompter);
    help.linkClicked(QStringLiteral("OEM_Messbereiche.html"));
    help.bStartClick();
    EXPECT_EQ(help.page, QFileInfo(contents).absoluteFilePath());
    help.bZurueckClick();
    help.bZurueckClick();
    EXPECT_EQ(help.page, QFileInfo(extended).absoluteFilePath());
}
