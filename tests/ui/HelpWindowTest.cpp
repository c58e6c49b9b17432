#include "app/HelpWindow.h"
#include "ui/HelpDialog.h"
#include "ui/QtPrompter.h"
#include "ui/ScreenCheck.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
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

// Strg+F in the help window over the built handbook: the word is marked on the page, Enter
// goes on to its next place, the list names the other pages, and a click on one opens it marked.
TEST(HelpWindowOffscreen, SearchMarksTheWordOnThePageAndListsThePagesThatHoldIt) {
    const QDir manual(QStringLiteral(TRAXBUS_LIBDIR "/Manual"));
    NoViewerPrompter prompter;
    HelpDialog help(HelpWindow(manual.filePath(QStringLiteral("Handbuch_Buswerkzeuge.html")), prompter));
    help.show();
    help.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    QTest::keyClick(help.browser(), Qt::Key_F, Qt::ControlModifier);
    auto* field = help.findChild<QLineEdit*>(QStringLiteral("eSuchen"));
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(field->isVisible());
    QTest::keyClicks(field, QStringLiteral("buskollision"));
    QTest::keyClick(field, Qt::Key_Return);

    QTextBrowser* view = help.browser();
    const int marked = static_cast<int>(view->extraSelections().size());
    EXPECT_GE(marked, 1);
    EXPECT_EQ(view->textCursor().selectedText().toLower(), QStringLiteral("buskollision"));
    auto* list = help.findChild<QListWidget*>(QStringLiteral("lbTreffer"));
    ASSERT_GE(list->count(), 2);
    EXPECT_EQ(help.window().hitsOnPage(), marked);
    saveScreen(help, QStringLiteral("help_search"));

    // Enter again: the next place, or round to the first.
    const int first = view->textCursor().position();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(marked == 1 ? view->textCursor().position() == first : view->textCursor().position() > first);

    // Another page from the list opens with the word marked there.
    int other = 0;
    while (other < list->count() && help.window().searchHits[other].page == help.window().page) ++other;
    ASSERT_LT(other, list->count());
    emit list->itemActivated(list->item(other));
    EXPECT_EQ(view->source().toLocalFile(), help.window().searchHits[other].page);
    EXPECT_EQ(view->textCursor().selectedText().toLower(), QStringLiteral("buskollision"));
    EXPECT_FALSE(view->extraSelections().isEmpty());
    saveScreen(help, QStringLiteral("help_search_other_page"));
}
