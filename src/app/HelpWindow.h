#pragma once

#include "app/HelpSearch.h"
#include "config/Controls.h"
#include "config/Prompter.h"

#include <QString>
#include <QStringList>

// The program's own window for the handbook (`THandbuch`), for when no viewer of the system takes
// it: one page at a time, the links between the pages followed inside the window,
// back and forward through the pages seen. The widget shows `page` and forwards
// every click on a link.
class HelpWindow : public ModalWindow {
  public:
    HelpWindow(const QString& page, Prompter& prompter);

    const char* windowClass() const override { return "THandbuch"; }

    // Opens `path` in a help window when it is a page the window can show: the
    // prompter shows the window. False when the file is missing or unreadable.
    static bool open(Prompter& prompter, const QString& path);
    // Lets the prompter fall back to the help window when no viewer takes a document.
    static void installAsFallback(Prompter& prompter);

    QString caption;   // the page's title
    QString page;      // absolute path of the shown page
    QString fragment;  // anchor within the page; empty: its top
    QString statusText;
    Button bZurueck, bVor, bStart;

    // A click on a link: `href` as the page writes it, relative to the page.
    void linkClicked(const QString& href);
    void bZurueckClick();
    void bVorClick();
    void bStartClick();

    // Search (Strg+F): the widget marks `searchText` on the shown page; `searchHits` are the
    // pages of the handbook that hold it, the shown one among them.
    QString searchText;
    QList<helpsearch::Hit> searchHits;
    void searchChanged(const QString& text);
    // Shows the page of a hit, as a link would; the widget marks its first occurrence.
    void openHit(int index);
    // Occurrences on the shown page.
    int hitsOnPage() const;

  private:
    struct Place {
        QString page;
        QString fragment;
    };
    void go(const Place& target);
    void show(const Place& target);
    void updateButtons();

    Prompter& prompter;
    QString home;
    QList<Place> back;
    QList<Place> forward;
};
