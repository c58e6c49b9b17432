#pragma once

#include "app/HelpWindow.h"
#include "ui/ModelView.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextBrowser;

// The handbook in the program's own window: a text browser over the pages, the
// buttons back, forward and contents, and the page's path at the foot. It stays
// open beside the main window; a second help request shows its page here.
class HelpDialog : public QDialog, public ModelView {
  public:
    HelpDialog(const HelpWindow& window, QWidget* parent = nullptr);

    void render() override;
    HelpWindow& window() { return w; }
    QTextBrowser* browser() const { return view; }

  private:
    HelpWindow w;
    QTextBrowser* view = nullptr;
    QPushButton* back = nullptr;
    QPushButton* forward = nullptr;
    QPushButton* home = nullptr;
    QLabel* status = nullptr;
};

// Registers the help window with the prompter; it opens without blocking the main window.
void registerHelpWindow(class QtPrompter& prompter);
