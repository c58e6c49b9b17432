#pragma once

#include "ui/ModelView.h"

#include "config/Controls.h"

#include <QDialog>
#include <QHash>

#include <functional>

class FlowCalculatorWindow;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Shows the flow calculator `TForm1` and forwards its events.
class FlowCalculatorDialog : public QDialog, public ModelView {
    Q_OBJECT
  public:
    FlowCalculatorDialog(FlowCalculatorWindow& window, QWidget* parent = nullptr);
    void render() override;

  private:
    void run(const std::function<void()>& handler);
    QLabel* addLabel(const Label& model, QWidget* parent, bool bold = false);
    QLineEdit* addEdit(const TextField& model, void (FlowCalculatorWindow::*changed)(const QString&));
    QComboBox* addList(const ComboBox& model, void (FlowCalculatorWindow::*changed)(int));
    QPushButton* addButton(const Button& model, void (FlowCalculatorWindow::*clicked)());

    FlowCalculatorWindow& w;
    QHash<const Label*, QLabel*> labels;
    QHash<const TextField*, QLineEdit*> edits;
    QHash<const ComboBox*, QComboBox*> lists;
    QHash<const Button*, QPushButton*> buttons;
    QPlainTextEdit* memo;
    QFrame* results;
    bool rendering = false;
};
