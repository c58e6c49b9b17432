#pragma once

#include "ui/ModelView.h"

#include "ui/ToolLineEdit.h"

#include <QDialog>

#include <functional>

class BusToolWindow;
class QPushButton;
struct Button;
struct HintButton;
struct HintEdit;
struct TextField;

// Base of the bus tool dialogs: renders the window's state and forwards every
// widget event as one call of the window's handler, then renders again.
class BusToolDialog : public QDialog, public ModelView {
    Q_OBJECT
  public:
    void render() override;

  protected:
    // What an entry field forwards; `exit` may stay empty.
    struct FieldHandlers {
        ToolLineEdit::KeyFilter keyPress;
        std::function<void(const QString&)> edited;
        std::function<void()> exit;
        std::function<void()> doubleClick;
    };

    BusToolDialog(BusToolWindow& window, const QString& objectName, QWidget* parent);

    virtual void renderControls() = 0;
    // Runs one handler of the window; closes the dialog when the window asks to.
    void run(const std::function<void()>& handler);

    QPushButton* button(const Button& model, const std::function<void()>& click);
    ToolLineEdit* field(const TextField& model, const FieldHandlers& handlers);

    static void showButton(QPushButton* widget, const Button& model);
    static void showButton(QPushButton* widget, const HintButton& model);
    static void showField(ToolLineEdit* widget, const TextField& model);
    static void showField(ToolLineEdit* widget, const HintEdit& model);

  private:
    BusToolWindow& window;
    bool rendering = false;
};
