#include "config/MainWindowModel.h"
#include "handbook/MenuOverview.h"
#include "handbook/PageChecks.h"

#include <gtest/gtest.h>

#include <memory>

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>

namespace {

QByteArray sourceFile(const QString& relative) {
    QFile file(QDir(QStringLiteral(TRK_SOURCE_DIR)).filePath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString joined(const QStringList& problems) {
    return problems.join(u'\n');
}

} // namespace

// The overview names every item of the program's menus with its description, as the menu
// bar shows it; an item added without a description, or a description left behind, stops
// the build with the item's name.
TEST(HandbookGates, MenuOverviewCoversEveryMenuItem) {
    const QJsonObject descriptions = QJsonDocument::fromJson(sourceFile(QStringLiteral("Manual/menues.json"))).object();
    ASSERT_FALSE(descriptions.isEmpty());
    QStringList problems;
    const QString html = handbook::menuOverview(descriptions, problems);
    EXPECT_EQ(joined(problems).toStdString(), "");

    MainWindowModel m;
    for (MenuItem* item : m.menuItems()) {
        if (item->caption.isEmpty() || m.menuItem(item->name) != item) continue;
        const bool model = item->name.startsWith(QLatin1String("MainMenueSchnittstelleItem"));
        if (model) continue; // the models share one row of "Typ"
        EXPECT_TRUE(html.contains(handbook::shownCaption(item->caption).toHtmlEscaped())) << item->name.toStdString();
        EXPECT_TRUE(html.contains(QStringLiteral("id=\"menue-%1\"").arg(item->name))) << item->name.toStdString();
    }
    EXPECT_FALSE(html.contains(QStringLiteral("&amp;"))) << "a mnemonic marker reached the page";
    EXPECT_TRUE(html.contains(QStringLiteral("Strg+Z")));

    QStringList none;
    EXPECT_EQ(handbook::menuPath(QStringLiteral("miDatenspeichern"), none), QStringLiteral("Datei › Konfiguration speichern"));
    EXPECT_EQ(handbook::menuPath(QStringLiteral("MainMenueQM"), none), QStringLiteral("Hilfe › ?"));
    EXPECT_TRUE(none.isEmpty());
    handbook::menuPath(QStringLiteral("miGibtEsNicht"), none);
    EXPECT_EQ(none.size(), 1);

    QJsonObject missing = descriptions;
    missing.remove(QStringLiteral("miRueckgaengig"));
    missing.insert(QStringLiteral("miEntfernt"), QStringLiteral("alt"));
    QStringList found;
    handbook::menuOverview(missing, found);
    EXPECT_EQ(found.size(), 2) << joined(found).toStdString();
    EXPECT_TRUE(joined(found).contains(QStringLiteral("miRueckgaengig „Rückgängig“")));
    EXPECT_TRUE(joined(found).contains(QStringLiteral("miEntfernt")));
}

// The page gates on a small handbook with one fault of each kind planted, next to a clean page.
TEST(HandbookGates, PageChecksNameEachFault) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("bilder"));
    QFile(dir.filePath(QStringLiteral("bilder/da.png"))).open(QIODevice::WriteOnly);
    const auto page = [](const QString& body) {
        return QStringLiteral("<html><head><title>T</title></head><body>%1</body></html>").arg(body);
    };
    QList<handbook::Page> pages{
        {QStringLiteral("Inhalt.html"),
         page(QStringLiteral("<a href=\"A.html\">A</a> <a href=\"B.html#weg\">B</a> <a href=\"#oben\">oben</a>"
                             "<h2 id=\"oben\">x</h2> <a href=\"https://example.org\">extern</a>"))},
        {QStringLiteral("A.html"),
         page(QStringLiteral("<img src=\"bilder/da.png\"> <img src=\"bilder/fehlt.png\"> <a href=\"C.html\">C</a>"
                             "<pre>a &amp;&amp; b &amp;x</pre> <code>&amp;Datei</code> Strg+Z, Datei › Öffnen"))},
        {QStringLiteral("B.html"),
         page(QStringLiteral("<span class=\"menue\">&amp;Datei &gt; &amp;Speichern</span> z.&amp;nbsp;B. "
                             "Beim Bau des Programms entsteht die Revision.<b id=\"da\">da</b>"))},
        {QStringLiteral("Waise.html"), page(QStringLiteral("nirgends verlinkt"))},
    };
    for (const auto& p : pages) {
        QFile f(dir.filePath(p.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(p.html.toUtf8());
    }
    QStringList problems;
    handbook::checkPages(pages, QStringLiteral("Inhalt.html"), dir.path(), problems);
    const QString all = joined(problems);
    EXPECT_TRUE(all.contains(QStringLiteral("Inhalt.html: Sprungmarke fehlt: B.html#weg"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("A.html: Verweis ins Leere: bilder/fehlt.png")));
    EXPECT_TRUE(all.contains(QStringLiteral("A.html: Verweis ins Leere: C.html")));
    EXPECT_TRUE(all.contains(QStringLiteral("B.html: „&“ im Text: …&Datei > &Speichern")));
    EXPECT_TRUE(all.contains(QStringLiteral("&nbsp;"))) << "an entity shown as text";
    EXPECT_TRUE(all.contains(QStringLiteral("B.html: Wort gehört nicht ins Handbuch: Beim Bau")));
    EXPECT_TRUE(all.contains(QStringLiteral("B.html: Wort gehört nicht ins Handbuch: Revision")));
    EXPECT_TRUE(all.contains(QStringLiteral("Waise.html: Seite steht nicht im Inhalt")));
    // One each, "&Datei" and "&Speichern" apart; the command line's "&&" and the external link are fine.
    EXPECT_EQ(problems.size(), 9) << all.toStdString();
}

// The printable edition the build made: one page in the order of the contents, every link
// inside it leads to an anchor it has, no anchor twice, and the PDF beside it has pages.
TEST(HandbookGates, PrintableEditionIsWholeAndLinkedWithinItself) {
    const QDir manual(QStringLiteral(TRAXBUS_LIBDIR "/Manual"));
    QFile single(manual.filePath(QStringLiteral("Handbuch_Gesamt.html")));
    ASSERT_TRUE(single.open(QIODevice::ReadOnly)) << "the build makes the handbook first";
    const QString html = QString::fromUtf8(single.readAll());

    QSet<QString> ids;
    static const QRegularExpression id(QStringLiteral(R"re(\bid="([^"]+)")re"));
    for (auto it = id.globalMatch(html); it.hasNext();) {
        const QString anchor = it.next().captured(1);
        EXPECT_FALSE(ids.contains(anchor)) << "twice: " << anchor.toStdString();
        ids.insert(anchor);
    }
    static const QRegularExpression link(QStringLiteral(R"re(href="([^"]*)")re"));
    int inside = 0;
    for (auto it = link.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        if (target == QLatin1String("handbuch.css") || target.startsWith(QLatin1String("Handbuch.pdf"))) continue;
        ASSERT_TRUE(target.startsWith(u'#')) << target.toStdString();
        EXPECT_TRUE(ids.contains(target.mid(1))) << target.toStdString();
        ++inside;
    }
    EXPECT_GT(inside, 200);
    EXPECT_FALSE(html.contains(QStringLiteral("class=\"nav\"")));
    // Chapters in the order of the contents: the first steps before the messages, the terms last.
    const qsizetype start = html.indexOf(QStringLiteral("id=\"OEM_Anleitung-start\""));
    const qsizetype messages = html.indexOf(QStringLiteral("id=\"Handbuch_Meldungen\""));
    const qsizetype terms = html.indexOf(QStringLiteral("id=\"Handbuch_Begriffe\""));
    EXPECT_TRUE(start > 0 && start < messages && messages < terms);

    QFile pdf(manual.filePath(QStringLiteral("Handbuch.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type/Page\n"), 30);
}

// Paper: wherever the text before it ends, a picture's caption prints on the page of its
// picture, and a chapter that starts a new page still does after captions were moved.
TEST(HandbookGates, CaptionStaysWithItsPictureOnPaper) {
    int argc = 1;
    char name[] = "test_handbook";
    char* argv[] = {name, nullptr};
    const auto app = QGuiApplication::instance() ? nullptr : std::make_unique<QGuiApplication>(argc, argv);
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    const auto pageOf = [](QTextDocument& d, const QTextBlock& b, int line) {
        const qreal y = d.documentLayout()->blockBoundingRect(b).top() + b.layout()->lineAt(line).y();
        return int(y / d.pageSize().height());
    };
    int apartWithout = 0;
    for (int fillers = 0; fillers < 40; ++fillers) {
        QString html;
        for (int i = 0; i < fillers; ++i)
            html += QStringLiteral("<p>Absatz %1 mit etwas Text, damit die Seite sich füllt.</p>").arg(i);
        html += QStringLiteral("<p class=\"bild\"><em>Bildunterschrift</em><br><img src=\"bild.png\"></p>"
                               "<div style=\"page-break-before: always\"><h1>Kapitel</h1><p>Text</p></div>");
        QTextDocument d;
        d.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("bild.png")), picture);
        d.setHtml(html);
        d.setPageSize(QSizeF(500, 700));
        const auto find = [&d](const QString& text) {
            for (QTextBlock b = d.begin(); b.isValid(); b = b.next())
                if (b.text().startsWith(text)) return b;
            return QTextBlock();
        };
        const QTextBlock caption = find(QStringLiteral("Bildunterschrift"));
        ASSERT_TRUE(caption.isValid());
        d.documentLayout()->blockBoundingRect(find(QStringLiteral("Kapitel")));
        if (pageOf(d, caption, 0) != pageOf(d, caption, caption.layout()->lineCount() - 1)) ++apartWithout;

        handbook::keepTogether(d);
        const QTextBlock chapter = find(QStringLiteral("Kapitel"));
        d.documentLayout()->blockBoundingRect(chapter);
        EXPECT_EQ(pageOf(d, caption, 0), pageOf(d, caption, caption.layout()->lineCount() - 1)) << fillers;
        EXPECT_EQ(pageOf(d, chapter, 0), pageOf(d, caption, 1) + 1) << fillers;
    }
    EXPECT_GT(apartWithout, 0) << "no filler count put the caption at a page's foot";
}
