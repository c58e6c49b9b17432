#pragma once

#include "ui/ModelView.h"

#include <QDialog>

class ComPortWindow;
class QComboBox;
class QPushButton;

// Shows the port window `Tf_ComPort` and forwards its events.
class ComPortDialog : public QDialog, public ModelView {
    Q_OBJECT
public:
    ComPortDialog(ComPortWindow& window, QWidget* parent = nullptr);
    void render() override;

private:
    void run(const std::function<void()>& handler);

    ComPortWindow& w;
    QPushButton* list;
    QComboBox* ports;
    QPushButton* choose;
    bool rendering = false;
};
