#pragma once

#include <QList>
#include <QString>

// Searching the handbook's pages as the reader sees them: tags and attributes are not text,
// entities are the characters they stand for, case does not matter.
namespace helpsearch {

struct Hit {
    QString page;    // absolute path
    QString title;   // the page's <title>
    int count = 0;   // occurrences on the page
    QString excerpt; // the text around the first one
};

// The reader's text of an HTML page.
QString pageText(const QString& html);
// How often `query` occurs in `text`, ignoring case; 0 for an empty query.
int occurrences(const QString& text, const QString& query);
// Every page of `folder` that holds `query`, in the order of the contents page's links
// (pages it does not link after them). The printable edition repeats every page and is left out.
QList<Hit> searchPages(const QString& folder, const QString& query);

} // namespace helpsearch
