#pragma once

#include <QDialog>

#include <array>
#include <functional>

class SpecialConfigWindow;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

// Shows the detail window `Ttf_Spezialkonfiguration` and forwards its events.
class SpecialConfigDialog : public QDialog {
    Q_OBJECT
  public:
    SpecialConfigDialog(SpecialConfigWindow& window, QWidget* parent = nullptr);
    void render();

  private:
    void run(const std::function<void()>& handler);

    SpecialConfigWindow& w;
    std::array<QFrame*, 4> panels{};
    std::array<QLabel*, 4> labels{};
    std::array<std::array<QCheckBox*, 8>, 4> boxes{};
    QPushButton* ok;
    QPushButton* cancel;
    bool rendering = false;
};
