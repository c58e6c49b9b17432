#include "app/HelpWindow.h"
#include "ui/HelpDialog.h"
#include "ui/QtPrompter.h"
#include "ui/ScreenCheck.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace {

// A desktop without any program for HTML pages.
class NoViewerPrompter : public QtPrompter {
  public:
    bool openDocument(const QString&) override { return false; }
};

HelpDialog* shownHelp() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* help = dynamic_cast<HelpDialog*>(w); help && help->isVisible()) return help;
    return nullptr;
}

} // namespace

// The handbook as the build made it, asked for on a machine without a viewer: the program's
// own window shows the page with its pictures, follows a link and goes back.
TEST(HelpWindowOffscreen, ShowsTheBuiltHandbookWithItsPicturesWhenNoViewerTakesIt) {
    const QDir manual(QStringLiteral(TRAXBUS_LIBDIR "/Manual"));
    ASSERT_TRUE(manual.exists(QStringLiteral("OEM_Anleitung.html"))) << "the build makes the handbook first";
    NoViewerPrompter prompter;
    registerHelpWindow(prompter);
    HelpWindow::installAsFallback(prompter);
    prompter.showDocument(manual.filePath(QStringLiteral("OEM_Anleitung.html")));

    HelpDialog* help = shownHelp();
    ASSERT_NE(help, nullptr);
    QTextBrowser* view = help->browser();
    EXPECT_EQ(view->source().toLocalFile(), manual.filePath(QStringLiteral("OEM_Anleitung.html")));
    EXPECT_TRUE(view->toPlainText().contains(QStringLiteral("Erste Schritte")));
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Handbuch – TRK/DVN-Konfigurationsprogramm"));
    // The picture of the main window comes from the handbook's folder.
    const QVariant picture =
        view->document()->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("bilder/hauptfenster_trk520pid.png")));
    const QImage image = picture.value<QImage>();
    EXPECT_GT(image.width(), 600);
    saveScreen(*help, QStringLiteral("help_start"));

    // A link to another page's anchor, then back to the start.
    emit view->anchorClicked(QUrl(QStringLiteral("Handbuch_Meldungen.html#status")));
    EXPECT_EQ(view->source().fileName(), QStringLiteral("Handbuch_Meldungen.html"));
    EXPECT_EQ(view->source().fragment(), QStringLiteral("status"));
    EXPECT_TRUE(view->toPlainText().contains(QStringLiteral("Keine Antwort vom Gerät")));
    saveScreen(*help, QStringLiteral("help_meldungen"));

    // A second request opens its page in the same window, with the way back.
    prompter.showDocument(manual.filePath(QStringLiteral("OEM_Messbereiche.html")));
    EXPECT_EQ(shownHelp(), help);
    EXPECT_EQ(view->source().fileName(), QStringLiteral("OEM_Messbereiche.html"));
    help->window().bZurueckClick();
    help->render();
    EXPECT_EQ(view->source().fileName(), QStringLiteral("Handbuch_Meldungen.html"));
    help->close();
}
