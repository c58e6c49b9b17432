#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QTextDocument;

// What every built page of the handbook must satisfy, and the printable edition made of them.

namespace handbook {

struct Page {
    QString name; // file name in the handbook's folder ("OEM_Anleitung.html")
    QString html; // as built, markers replaced
};

// Words that speak of how the program or the handbook is made, not of using it.
const QStringList& forbiddenWords();

// The reader's text of a page: tags removed, entities decoded; `withCode` false leaves out
// <pre> and <code>, where a "&" belongs to a command line, not to a menu.
QString readerText(QString html, bool withCode = true);

// The gates: every link and picture leads to a file of `folder` (a link's anchor to an id of
// its page), every page is reachable from the contents, no menu text keeps a raw "&", no
// forbidden word. Each breach is a problem that stops the build.
void checkPages(const QList<Page>& pages, const QString& contents, const QString& folder, QStringList& problems);

// The index of the "Begriffe" page: every menu item, every message and every command of
// trkdvn-cli, each linked to where the handbook explains it, found in the built pages.
QString indexOfTerms(const QList<Page>& pages);

// The pages in the order the contents page links them, the contents first.
QList<Page> inReadingOrder(const QList<Page>& pages, const QString& contents);

// The file names of the printable edition in the handbook's folder.
inline const QString kSingleEditionFile = QStringLiteral("Handbuch_Gesamt.html");
inline const QString kPdfFile = QStringLiteral("Handbuch.pdf");

// All pages as one HTML page: navigation bars left out, anchors and links made unique within
// it, each chapter on a new printed page, pictures no wider than a printed page.
QString singleEdition(const QList<Page>& ordered, const QString& folder);

// On a paged document: a picture's caption or a heading that would end a page while what it
// belongs to starts the next one is moved to that page; page breaks already set stay.
void keepTogether(QTextDocument& document);

// The single edition printed to an A4 PDF; false with `error` when it cannot be written.
bool printPdf(const QString& html, const QString& folder, const QString& pdfPath, QString& error);

} // namespace handbook
