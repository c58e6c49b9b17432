#include "handbook/PageChecks.h"

#include "app/HelpSearch.h"
#include "handbook/MenuOverview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSet>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <functional>

namespace handbook {

namespace {

const QRegularExpression kLink(QStringLiteral(R"re((href|src)="([^"]*)")re"));
const QRegularExpression kId(QStringLiteral(R"re(\b(?:id|name)="([^"]+)")re"));

QString stem(const QString& pageName) {
    return QFileInfo(pageName).completeBaseName();
}

QSet<QString> idsOf(const QString& html) {
    QSet<QString> ids;
    for (auto it = kId.globalMatch(html); it.hasNext();)
        ids.insert(it.next().captured(1));
    return ids;
}

bool external(const QString& target) {
    return target.startsWith(QLatin1String("http:")) || target.startsWith(QLatin1String("https:")) ||
           target.startsWith(QLatin1String("mailto:"));
}

QString body(const QString& html) {
    const qsizetype open = html.indexOf(QLatin1String("<body>"));
    const qsizetype close = html.lastIndexOf(QLatin1String("</body>"));
    if (open < 0 || close < open) return html;
    return html.mid(open + 6, close - open - 6);
}

} // namespace

const QStringList& forbiddenWords() {
    static const QStringList words{QStringLiteral("build"),     QStringLiteral("Quelltext"),
                                   QStringLiteral("Quelltexten"), QStringLiteral("Revision"),
                                   QStringLiteral("Bauordner"), QStringLiteral("beim Bau"),
                                   QStringLiteral("Windows-Programm"), QStringLiteral("abgetippt")};
    return words;
}

QString readerText(QString html, bool withCode) {
    if (!withCode) {
        static const QRegularExpression code(QStringLiteral("<(pre|code)\\b.*?</\\1>"),
                                             QRegularExpression::DotMatchesEverythingOption);
        html.remove(code);
    }
    return helpsearch::pageText(html);
}

void checkPages(const QList<Page>& pages, const QString& contents, const QString& folder, QStringList& problems) {
    QHash<QString, QSet<QString>> ids;
    for (const Page& p : pages)
        ids.insert(p.name, idsOf(p.html));
    const QDir dir(folder);

    QSet<QString> reachable{contents};
    QList<QString> queue{contents};
    QHash<QString, const Page*> byName;
    for (const Page& p : pages)
        byName.insert(p.name, &p);

    static const QRegularExpression mnemonic(QStringLiteral(R"re(&[\p{L}?])re"));
    static QRegularExpression forbidden;
    if (forbidden.pattern().isEmpty()) {
        QStringList alternatives;
        for (const QString& w : forbiddenWords())
            alternatives.append(QRegularExpression::escape(w));
        forbidden = QRegularExpression(QStringLiteral("\\b(%1)\\b").arg(alternatives.join(u'|')),
                                       QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    }

    for (const Page& p : pages) {
        for (auto it = kLink.globalMatch(p.html); it.hasNext();) {
            const auto match = it.next();
            const QString target = match.captured(2);
            if (target.isEmpty() || external(target)) continue;
            const QString file = target.section(u'#', 0, 0);
            const QString anchor = target.section(u'#', 1);
            const QString page = file.isEmpty() ? p.name : QDir::cleanPath(file);
            if (!file.isEmpty() && !QFileInfo(dir.filePath(QUrl::fromPercentEncoding(file.toUtf8()))).isFile()) {
                problems.append(QStringLiteral("%1: Verweis ins Leere: %2").arg(p.name, target));
                continue;
            }
            if (!anchor.isEmpty() && ids.contains(page) && !ids.value(page).contains(anchor))
                problems.append(QStringLiteral("%1: Sprungmarke fehlt: %2").arg(p.name, target));
            if (match.captured(1) == QLatin1String("href") && byName.contains(page) && !reachable.contains(page) &&
                p.name == contents) {
                reachable.insert(page);
                queue.append(page);
            }
        }
        const QString text = readerText(p.html, false);
        for (auto it = mnemonic.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            problems.append(QStringLiteral("%1: „&“ im Text: …%2…").arg(p.name, text.mid(std::max<qsizetype>(0, m.capturedStart() - 20), 40).simplified()));
        }
        for (auto it = forbidden.globalMatch(readerText(p.html)); it.hasNext();)
            problems.append(QStringLiteral("%1: Wort gehört nicht ins Handbuch: %2").arg(p.name, it.next().captured(1)));
    }
    for (const Page& p : pages)
        if (!reachable.contains(p.name))
            problems.append(QStringLiteral("%1: Seite steht nicht im Inhalt").arg(p.name));
}

QString indexOfTerms(const QList<Page>& pages) {
    struct Term {
        QString text;
        QString link;
    };
    auto list = [](QList<Term> terms) {
        std::sort(terms.begin(), terms.end(),
                  [](const Term& a, const Term& b) { return QString::localeAwareCompare(a.text, b.text) < 0; });
        QString html = QStringLiteral("<ul class=\"register\">\n");
        for (const Term& t : terms)
            html += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n").arg(t.link, t.text.toHtmlEscaped());
        return html + QStringLiteral("</ul>\n");
    };
    QList<Term> menus;
    for (const MenuRow& row : menuRows())
        if (!row.bar) menus.append({row.menu + QStringLiteral(" › ") + row.caption, QStringLiteral("OEM_Anleitung.html#menue-") + row.name});
    QList<Term> messages;
    QList<Term> commands;
    static const QRegularExpression message(QStringLiteral(R"re(<tr id="(m\d+|status-?\d+)"><td>(.*?)</td>)re"));
    static const QRegularExpression command(QStringLiteral(R"re(<tr id="(cli-[\w-]+)"><td><code>(.*?)</code>)re"));
    for (const Page& p : pages) {
        for (auto it = message.globalMatch(p.html); it.hasNext();) {
            const auto m = it.next();
            QString text = readerText(QString(m.captured(2)).replace(QStringLiteral("<br>"), QStringLiteral(" "))).simplified();
            if (text.size() > 80) text = text.left(78) + QStringLiteral(" …");
            messages.append({text, p.name + u'#' + m.captured(1)});
        }
        for (auto it = command.globalMatch(p.html); it.hasNext();) {
            const auto m = it.next();
            // The command's name; its options stand where the link leads.
            commands.append({QStringLiteral("trkdvn-cli ") + m.captured(1).mid(4), p.name + u'#' + m.captured(1)});
        }
    }
    return QStringLiteral("<h3 id=\"register-menues\">Menüpunkte</h3>\n") + list(menus) +
           QStringLiteral("<h3 id=\"register-befehle\">Befehle der Kommandozeile</h3>\n") + list(commands) +
           QStringLiteral("<h3 id=\"register-meldungen\">Meldungen</h3>\n") + list(messages);
}

QList<Page> inReadingOrder(const QList<Page>& pages, const QString& contents) {
    QList<Page> ordered;
    QSet<QString> taken;
    const Page* start = nullptr;
    for (const Page& p : pages)
        if (p.name == contents) start = &p;
    if (!start) return pages;
    ordered.append(*start);
    taken.insert(contents);
    for (auto it = kLink.globalMatch(start->html); it.hasNext();) {
        const QString file = it.next().captured(2).section(u'#', 0, 0);
        for (const Page& p : pages) {
            if (p.name != file || taken.contains(file)) continue;
            ordered.append(p);
            taken.insert(file);
        }
    }
    return ordered;
}

QString singleEdition(const QList<Page>& ordered, const QString& folder) {
    QSet<QString> names;
    for (const Page& p : ordered)
        names.insert(p.name);
    static const QRegularExpression nav(QStringLiteral(R"re(<p class="nav">.*?</p>\s*)re"),
                                        QRegularExpression::DotMatchesEverythingOption);
    QString all;
    bool first = true;
    for (const Page& p : ordered) {
        QString html = body(p.html);
        html.remove(nav);
        const QString prefix = stem(p.name) + u'-';
        static const QRegularExpression id(QStringLiteral(R"re(\bid="([^"]+)")re"));
        html.replace(id, QStringLiteral("id=\"%1\\1\"").arg(prefix));
        // Links within the handbook become links within this page.
        QString linked;
        qsizetype last = 0;
        for (auto it = kLink.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            QString target = m.captured(2);
            const QString file = target.section(u'#', 0, 0);
            const QString anchor = target.section(u'#', 1);
            if (m.captured(1) == QLatin1String("href") && file == kSingleEditionFile) {
                target = u'#' + stem(ordered.first().name); // this very page: its top
            } else if (m.captured(1) == QLatin1String("href") && (file.isEmpty() || names.contains(file))) {
                const QString page = stem(file.isEmpty() ? p.name : file);
                target = anchor.isEmpty() ? u'#' + page : QStringLiteral("#%1-%2").arg(page, anchor);
            } else if (m.captured(1) == QLatin1String("src")) {
                // A printed page is some 640 points wide.
                const QSize size = QImageReader(QDir(folder).filePath(target)).size();
                if (size.width() > 620)
                    target += QStringLiteral("\" width=\"620\" height=\"%1").arg(size.height() * 620 / size.width());
            }
            linked += html.mid(last, m.capturedStart() - last) + QStringLiteral("%1=\"%2\"").arg(m.captured(1), target);
            last = m.capturedEnd();
        }
        linked += html.mid(last);
        // Tables as wide as the page, so their columns share it instead of wrapping each word.
        linked.replace(QStringLiteral("<table"), QStringLiteral("<table width=\"100%\""));
        all += QStringLiteral("<div class=\"kapitel\" id=\"%1\"%2>\n%3</div>\n")
                   .arg(stem(p.name), first ? QString() : QStringLiteral(" style=\"page-break-before: always\""), linked);
        first = false;
    }
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"de\">\n<head><meta charset=\"utf-8\">"
                          "<title>Handbuch – TRK/DVN-Konfigurationsprogramm (Druckfassung)</title>\n"
                          "<link rel=\"stylesheet\" href=\"handbuch.css\">\n</head>\n<body>\n%1</body>\n</html>\n")
        .arg(all);
}

namespace {

// The printed page a line of a laid-out block lands on.
int pageOf(QTextDocument& document, const QTextBlock& b, int line) {
    const qreal y = document.documentLayout()->blockBoundingRect(b).top() + b.layout()->lineAt(line).y();
    return int(y / document.pageSize().height());
}

bool holdsPicture(const QTextBlock& block) {
    for (auto it = block.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat()) return true;
    return false;
}

// A table whose first row is all headings repeats it on every page it runs onto.
void repeatTableHeads(QTextDocument& document) {
    const std::function<void(QTextFrame*)> walk = [&walk](QTextFrame* frame) {
        for (QTextFrame* child : frame->childFrames()) {
            if (auto* table = qobject_cast<QTextTable*>(child); table && table->rows() > 1) {
                bool head = true;
                for (int c = 0; c < table->columns() && head; ++c)
                    head = table->cellAt(0, c).format().fontWeight() >= QFont::Bold;
                if (head) {
                    QTextTableFormat format = table->format();
                    format.setHeaderRowCount(1);
                    table->setFormat(format);
                }
            }
            walk(child);
        }
    };
    walk(document.rootFrame());
}

} // namespace

// Paper has no "keep with next": a picture's caption, or a heading, left at the foot of a page
// while what it belongs to starts the next one moves to that page too.
void keepTogether(QTextDocument& document) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        if (QTextCursor(b).currentFrame() != document.rootFrame()) continue;
        layout->blockBoundingRect(b); // lays the document out down to this block
        const int lines = b.layout()->lineCount();
        if (lines == 0) continue;
        bool apart = false;
        if (lines >= 2 && holdsPicture(b)) {
            apart = pageOf(document, b, 0) != pageOf(document, b, lines - 1);
        } else if (b.blockFormat().headingLevel() > 0 && b.next().isValid()) {
            // Under a table heading, the table's first row of content.
            QTextBlock next = b.next();
            if (const QTextTable* table = QTextCursor(next).currentTable(); table && table->rows() > 1)
                next = table->cellAt(1, 0).firstCursorPosition().block();
            layout->blockBoundingRect(next);
            apart = next.layout()->lineCount() > 0 && pageOf(document, b, 0) != pageOf(document, next, 0);
        }
        if (!apart) continue;
        QTextBlockFormat format = b.blockFormat();
        format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(b).setBlockFormat(format);
        // Laid out afresh: a layout resumed from the change drops later page breaks.
        document.markContentsDirty(0, document.characterCount());
    }
}

bool printPdf(const QString& html, const QString& folder, const QString& pdfPath, QString& error) {
    QTextDocument document;
    // The screen's style sheet sizes for a browser window; paper gets its own.
    document.setDefaultStyleSheet(QStringLiteral(
        "body { font-family: 'Liberation Sans', 'DejaVu Sans', sans-serif; font-size: 10pt; }"
        "h1 { font-size: 17pt; color: #23456b; } h2 { font-size: 13pt; color: #23456b; } h3 { font-size: 11pt; }"
        "th { background-color: #e3e9f0; } table { border-color: #9aa7b5; }"
        "code, kbd, pre { font-family: 'Liberation Mono', 'DejaVu Sans Mono', monospace; }"
        "pre { font-size: 8pt; background-color: #f3f3f3; white-space: pre-wrap; } p.hinweis { background-color: #fff7e0; }"
        "p.nav { display: none; } .menue { font-weight: bold; }"));
    // The pictures, which a document outside a window does not load by itself.
    static const QRegularExpression image(QStringLiteral("<img src=\"([^\"]+)\""));
    for (auto it = image.globalMatch(html); it.hasNext();) {
        const QString src = it.next().captured(1);
        const QImage picture(QDir(folder).filePath(src));
        if (picture.isNull()) {
            error = QStringLiteral("Bild für die Druckfassung fehlt: %1").arg(src);
            return false;
        }
        document.addResource(QTextDocument::ImageResource, QUrl(src), picture);
    }
    document.setHtml(html);
    {
        QPdfWriter writer(pdfPath);
        writer.setTitle(QStringLiteral("Handbuch – TRK/DVN-Konfigurationsprogramm"));
        writer.setCreator(QStringLiteral("TRK/DVN-Konfigurationsprogramm"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 15, 18, 15),
                                         QPageLayout::Millimeter));
        // Laid out at the screen's 96 pixels per inch on the printable part of the page, so the
        // pictures (at most 620 pixels wide) fit and print at the size they have on screen.
        const QRectF printable = writer.pageLayout().paintRect(QPageLayout::Point);
        document.setPageSize(printable.size() * (96.0 / 72.0));
        repeatTableHeads(document);
        keepTogether(document);
        document.print(&writer);
    }
    if (QFileInfo(pdfPath).size() == 0) {
        error = QStringLiteral("Die Druckfassung %1 konnte nicht geschrieben werden").arg(pdfPath);
        return false;
    }
    return true;
}

} // namespace handbook
