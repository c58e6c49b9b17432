#pragma once

#include "ui/ModelView.h"

#include <QDialog>

#include <array>
#include <functional>

class ExtendedWordsWindow;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

// Shows the detail window `Ttf_Spezialkonfiguration` and forwards its events.
class ExtendedWordsDialog : public QDialog, public ModelView {
    Q_OBJECT
  public:
    ExtendedWordsDialog(ExtendedWordsWindow& window, QWidget* parent = nullptr);
    void render() override;

  private:
    void run(const std::function<void()>& handler);

    ExtendedWordsWindow& w;
    std::array<QFrame*, 4> panels{};
    std::array<QLabel*, 4> labels{};
    std::array<std::array<QCheckBox*, 8>, 4> boxes{};
    QPushButton* ok;
    QPushButton* cancel;
    bool rendering = false;
};
