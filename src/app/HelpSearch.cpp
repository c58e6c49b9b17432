#include "app/HelpSearch.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QHash>

namespace helpsearch {

namespace {

const QString kContents = QStringLiteral("OEM_Anleitung.html");
const QString kSingleEdition = QStringLiteral("Handbuch_Gesamt.html");

QString read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString titleOf(const QString& html) {
    static const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"), QRegularExpression::CaseInsensitiveOption);
    const auto match = title.match(html);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

} // namespace

QString pageText(const QString& html) {
    // The head (title, style) is not part of what the page shows.
    QString body = html;
    const qsizetype start = body.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    if (start >= 0) body = body.mid(start);
    // A block ends a word; an inline tag does not ("Ein<b>lesen</b>").
    static const QRegularExpression block(
        QStringLiteral("</?(p|div|br|h[1-6]|li|ul|ol|table|tr|td|th|pre)\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    body.replace(block, QStringLiteral("\n"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    body.replace(tag, QString());
    // Entities in one pass, so "&amp;lt;" stays the text "&lt;" the reader sees.
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#x[0-9a-fA-F]+|[a-zA-Z]+);"));
    static const QHash<QString, QString> named{{QStringLiteral("amp"), QStringLiteral("&")},
                                               {QStringLiteral("lt"), QStringLiteral("<")},
                                               {QStringLiteral("gt"), QStringLiteral(">")},
                                               {QStringLiteral("quot"), QStringLiteral("\"")},
                                               {QStringLiteral("apos"), QStringLiteral("'")},
                                               {QStringLiteral("nbsp"), QString(QChar::Nbsp)},
                                               {QStringLiteral("shy"), QString()}};
    QString out;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(body); it.hasNext();) {
        const auto m = it.next();
        const QString name = m.captured(1);
        QString shown = m.captured(0);
        if (name.startsWith(QLatin1String("#x")))
            shown = QChar(name.mid(2).toUInt(nullptr, 16));
        else if (name.startsWith(u'#'))
            shown = QChar(name.mid(1).toUInt());
        else if (named.contains(name))
            shown = named.value(name);
        out += body.mid(last, m.capturedStart() - last) + shown;
        last = m.capturedEnd();
    }
    return out + body.mid(last);
}

int occurrences(const QString& text, const QString& query) {
    const QString wanted = query.simplified();
    if (wanted.isEmpty()) return 0;
    return static_cast<int>(QString(text).replace(QChar::Nbsp, u' ').count(wanted, Qt::CaseInsensitive));
}

QList<Hit> searchPages(const QString& folder, const QString& query) {
    const QDir dir(folder);
    QStringList order;
    static const QRegularExpression link(QStringLiteral(R"re(href="([^"#]+\.html)[^"]*")re"));
    for (auto it = link.globalMatch(read(dir.filePath(kContents))); it.hasNext();) {
        const QString page = it.next().captured(1);
        if (!order.contains(page)) order.append(page);
    }
    order.prepend(kContents);
    for (const QString& page : dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name))
        if (!order.contains(page)) order.append(page);

    QList<Hit> hits;
    const QString wanted = query.simplified();
    for (const QString& page : order) {
        if (page == kSingleEdition || !dir.exists(page)) continue;
        const QString html = read(dir.filePath(page));
        const QString text = pageText(html).simplified();
        const int count = occurrences(text, wanted);
        if (count == 0) continue;
        const qsizetype at = text.indexOf(wanted, 0, Qt::CaseInsensitive);
        const qsizetype from = std::max<qsizetype>(0, at - 40);
        QString excerpt = text.mid(from, wanted.size() + 80);
        if (from > 0) excerpt.prepend(QStringLiteral("…"));
        if (from + excerpt.size() < text.size()) excerpt.append(QStringLiteral("…"));
        // Every page's title ends in the handbook's name; the list names the page.
        QString title = titleOf(html);
        title.remove(QRegularExpression(QStringLiteral(" – Handbuch$")));
        hits.append({dir.absoluteFilePath(page), title, count, excerpt});
    }
    return hits;
}

} // namespace helpsearch
