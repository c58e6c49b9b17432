#pragma once

#include "app/HelpWindow.h"
#include "ui/ModelView.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;
class QWidget;

// The handbook in the program's own window: a text browser over the pages, the
// buttons back, forward and contents, and the page's path at the foot. Strg+F opens the
// search: Enter marks the text on the page and goes from one place to the next; the list
// names every page that holds it. It stays
// open beside the main window; a second help request shows its page here.
class HelpDialog : public QDialog, public ModelView {
  public:
    HelpDialog(const HelpWindow& window, QWidget* parent = nullptr);

    void render() override;
    HelpWindow& window() { return w; }
    QTextBrowser* browser() const { return view; }
    // Opens the search with the text field focused (Strg+F).
    void openSearch();
    // Enter in the search field: a new text is searched everywhere, the same one goes on to its next place.
    void searchNext();

  private:
    HelpWindow w;
    QTextBrowser* view = nullptr;
    QPushButton* back = nullptr;
    QPushButton* forward = nullptr;
    QPushButton* home = nullptr;
    QLabel* status = nullptr;
    QWidget* searchBar = nullptr;
    QLineEdit* searchField = nullptr;
    QListWidget* hitList = nullptr;

    // Marks every occurrence of the searched text on the page; false when there is none.
    bool markAll();
    // Marks every occurrence on the page and moves to the first (from the top) or the next one.
    void markOnPage(bool fromTop);
};

// Registers the help window with the prompter; it opens without blocking the main window.
void registerHelpWindow(class QtPrompter& prompter);
