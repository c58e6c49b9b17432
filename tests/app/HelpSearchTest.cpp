#include "app/HelpSearch.h"
#include "app/HelpWindow.h"

#include "config/Prompter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void write(const QTemporaryDir& dir, const QString& name, const QString& title, const QString& body) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("<html><head><title>%1</title><link rel=\"stylesheet\" href=\"kessel.css\"></head>"
                           "<body>%2</body></html>")
                .arg(title, body)
                .toUtf8());
}

} // namespace

// Searching the handbook finds what the reader sees: not tag names, attributes or the
// head, but decoded entities, in any case, page by page in the order of the contents;
// the help window goes to a hit's page with the way back.
TEST(HelpSearch, FindsTheTextAsTheReaderSeesItAcrossThePages) {
    QTemporaryDir dir;
    write(dir, QStringLiteral("OEM_Anleitung.html"), QStringLiteral("Inhalt"),
          QStringLiteral("<a href=\"Z.html\">Z</a> <a href=\"A.html#x\">A</a> Kessel im Inhalt"));
    write(dir, QStringLiteral("A.html"), QStringLiteral("Kessel-Titel"),
          QStringLiteral("<p class=\"kessel\" id=\"x\">Der KESSEL und der kessel.</p><p>Tür &amp; Tor, a&nbsp;b</p>"));
    write(dir, QStringLiteral("Z.html"), QStringLiteral("Zett"),
          QStringLiteral("<p>Ein Kessel.</p><a href=\"A.html\" title=\"Kessel\">weiter</a>"));
    write(dir, QStringLiteral("Handbuch_Gesamt.html"), QStringLiteral("Alles"), QStringLiteral("Kessel Kessel Kessel"));
    write(dir, QStringLiteral("Ohne.html"), QStringLiteral("Ohne"), QStringLiteral("kein Treffer"));

    const QList<helpsearch::Hit> hits = helpsearch::searchPages(dir.path(), QStringLiteral("  kessel "));
    ASSERT_EQ(hits.size(), 3);
    EXPECT_EQ(QFileInfo(hits[0].page).fileName(), QStringLiteral("OEM_Anleitung.html"));
    EXPECT_EQ(QFileInfo(hits[1].page).fileName(), QStringLiteral("Z.html"));
    EXPECT_EQ(QFileInfo(hits[2].page).fileName(), QStringLiteral("A.html"));
    EXPECT_EQ(hits[0].count, 1);
    EXPECT_EQ(hits[1].count, 1) << "the link's title is no text of the page";
    EXPECT_EQ(hits[2].count, 2) << "neither the title nor the class count";
    EXPECT_EQ(hits[2].title, QStringLiteral("Kessel-Titel"));
    EXPECT_TRUE(hits[2].excerpt.contains(QStringLiteral("Der KESSEL und")));

    EXPECT_EQ(helpsearch::searchPages(dir.path(), QStringLiteral("Tür & Tor")).size(), 1);
    EXPECT_EQ(helpsearch::searchPages(dir.path(), QStringLiteral("a b")).size(), 1);
    EXPECT_TRUE(helpsearch::searchPages(dir.path(), QStringLiteral("amp")).isEmpty());
    EXPECT_TRUE(helpsearch::searchPages(dir.path(), QStringLiteral(" ")).isEmpty());

    RecordingPrompter prompter;
    HelpWindow window(dir.filePath(QStringLiteral("Z.html")), prompter);
    window.searchChanged(QStringLiteral("Kessel"));
    EXPECT_EQ(window.hitsOnPage(), 1);
    EXPECT_EQ(window.statusText, QStringLiteral("„Kessel“: 1 Treffer auf dieser Seite, auf 3 Seiten des Handbuchs"));
    window.openHit(2);
    EXPECT_EQ(QFileInfo(window.page).fileName(), QStringLiteral("A.html"));
    EXPECT_EQ(window.hitsOnPage(), 2);
    EXPECT_TRUE(window.bZurueck.enabled);
    window.bZurueckClick();
    EXPECT_EQ(QFileInfo(window.page).fileName(), QStringLiteral("Z.html"));
    window.searchChanged(QStringLiteral("Dampfkessel"));
    EXPECT_EQ(window.statusText, QStringLiteral("„Dampfkessel“ steht auf keiner Seite des Handbuchs"));
}
