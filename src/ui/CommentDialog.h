#pragma once

#include "ui/ModelView.h"

#include <QDialog>

#include <functional>

class CommentWindow;
class QLabel;
class QLineEdit;
class QPushButton;
class QtPrompter;

// Shows the file comment window `Tf_DateiKommentar` and forwards its events.
class CommentDialog : public QDialog, public ModelView {
    Q_OBJECT
  public:
    CommentDialog(CommentWindow& window, QWidget* parent = nullptr);
    void render() override;

  private:
    void run(const std::function<void()>& handler);

    CommentWindow& w;
    QLabel* label;
    QLineEdit* edit;
    QPushButton* button;
    bool rendering = false;
};

// Registers the dialogs of the configuration files with the prompter.
void registerFileDialogs(QtPrompter& prompter);
