#pragma once

#include <QDialog>

class ComPortWindow;
class QComboBox;
class QPushButton;

// Shows the port window `Tf_ComPort` and forwards its events.
class ComPortDialog : public QDialog {
    Q_OBJECT
public:
    ComPortDialog(ComPortWindow& window, QWidget* parent = nullptr);
    void render();

private:
    void run(const std::function<void()>& handler);

    ComPortWindow& w;
    QPushButton* list;
    QComboBox* ports;
    QPushButton* choose;
    bool rendering = false;
};
