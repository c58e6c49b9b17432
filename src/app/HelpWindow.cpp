#include "app/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace {

const QString kNoTitle = QStringLiteral("Handbuch");
// The handbook's contents: every page of it links there as "Inhalt".
const QString kContents = QStringLiteral("OEM_Anleitung.html");

bool isPage(const QFileInfo& file) {
    const QString suffix = file.suffix().toLower();
    return file.isFile() && file.isReadable() && (suffix == QLatin1String("html") || suffix == QLatin1String("htm"));
}

// The text of the page's <title>, so the window is named like the browser tab would be.
QString titleOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return kNoTitle;
    // The title stands in the head; the first few kilobytes hold it.
    const QString head = QString::fromUtf8(file.read(8192));
    static const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = title.match(head);
    const QString text = match.hasMatch() ? match.captured(1).trimmed() : QString();
    return text.isEmpty() ? kNoTitle : text;
}

} // namespace

HelpWindow::HelpWindow(const QString& startPage, Prompter& p) : prompter(p) {
    bZurueck.name = QStringLiteral("bZurueck");
    bZurueck.caption = QStringLiteral("◀ Zurück");
    bVor.name = QStringLiteral("bVor");
    bVor.caption = QStringLiteral("Vor ▶");
    bStart.name = QStringLiteral("bStart");
    bStart.caption = QStringLiteral("Inhalt");
    const QFileInfo start(startPage);
    // "Inhalt" leads to the contents beside the page opened; a page without them has itself.
    const QFileInfo contents(start.dir().filePath(kContents));
    home = isPage(contents) ? contents.absoluteFilePath() : start.absoluteFilePath();
    show({start.absoluteFilePath(), {}});
}

bool HelpWindow::open(Prompter& prompter, const QString& path) {
    if (!isPage(QFileInfo(path))) return false;
    HelpWindow window(path, prompter);
    prompter.showModal(window);
    return true;
}

void HelpWindow::installAsFallback(Prompter& prompter) {
    prompter.fallbackViewer = [&prompter](const QString& path) { return open(prompter, path); };
}

void HelpWindow::linkClicked(const QString& href) {
    const QUrl target = QUrl::fromLocalFile(page).resolved(QUrl(href));
    if (!target.isLocalFile()) {
        // The handbook keeps to its own pages; a web address is left to the user.
        statusText = QStringLiteral("Verweise außerhalb des Handbuchs öffnet dieses Fenster nicht: %1").arg(href);
        return;
    }
    const QString path = QFileInfo(target.toLocalFile()).absoluteFilePath();
    if (path == page) {
        go({page, target.fragment()});
        return;
    }
    if (!isPage(QFileInfo(path))) {
        statusText = QStringLiteral("Seite nicht gefunden: %1").arg(QDir::toNativeSeparators(path));
        return;
    }
    go({path, target.fragment()});
}

void HelpWindow::bZurueckClick() {
    if (back.isEmpty()) return;
    forward.prepend({page, fragment});
    show(back.takeLast());
}

void HelpWindow::bVorClick() {
    if (forward.isEmpty()) return;
    back.append({page, fragment});
    show(forward.takeFirst());
}

void HelpWindow::bStartClick() {
    if (page != home || !fragment.isEmpty()) go({home, {}});
}

void HelpWindow::searchChanged(const QString& text) {
    searchText = text.simplified();
    searchHits = searchText.isEmpty() ? QList<helpsearch::Hit>{} : helpsearch::searchPages(QFileInfo(home).path(), searchText);
    if (searchText.isEmpty()) {
        statusText = QDir::toNativeSeparators(page);
    } else if (searchHits.isEmpty()) {
        statusText = QStringLiteral("„%1“ steht auf keiner Seite des Handbuchs").arg(searchText);
    } else {
        statusText = QStringLiteral("„%1“: %2 Treffer auf dieser Seite, auf %3 Seiten des Handbuchs")
                         .arg(searchText)
                         .arg(hitsOnPage())
                         .arg(searchHits.size());
    }
}

void HelpWindow::openHit(int index) {
    if (index < 0 || index >= searchHits.size()) return;
    const QString target = searchHits[index].page;
    if (target != page) go({target, {}});
    searchChanged(searchText);
}

int HelpWindow::hitsOnPage() const {
    for (const helpsearch::Hit& hit : searchHits)
        if (hit.page == page) return hit.count;
    return 0;
}

void HelpWindow::go(const Place& target) {
    back.append({page, fragment});
    forward.clear();
    show(target);
}

void HelpWindow::show(const Place& target) {
    page = target.page;
    fragment = target.fragment;
    caption = titleOf(page);
    statusText = QDir::toNativeSeparators(page);
    updateButtons();
}

void HelpWindow::updateButtons() {
    bZurueck.enabled = !back.isEmpty();
    bVor.enabled = !forward.isEmpty();
}
