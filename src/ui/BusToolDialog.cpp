#include "ui/BusToolDialog.h"
#include "ui/PushButton.h"

#include "tools/BusToolWindow.h"

#include <QPushButton>

BusToolDialog::BusToolDialog(BusToolWindow& w, const QString& objectName, QWidget* parent)
    : QDialog(parent), window(w) {
    setObjectName(objectName);
    setWindowTitle(window.caption);
}

void BusToolDialog::render() {
    // Rendering moves focus and text; none of that is an event of the user's.
    rendering = true;
    renderControls();
    rendering = false;
}

void BusToolDialog::run(const std::function<void()>& handler) {
    if (rendering) return;
    handler();
    render();
    if (window.closeRequested) accept();
}

QPushButton* BusToolDialog::button(const Button& model, const std::function<void()>& click) {
    auto* b = new PushButton(this);
    b->setObjectName(model.name);
    connect(b, &QPushButton::clicked, this, [this, click] { run(click); });
    return b;
}

ToolLineEdit* BusToolDialog::field(const TextField& model, const FieldHandlers& handlers) {
    auto* edit = new ToolLineEdit(this);
    edit->setObjectName(model.name);
    // The filter decides before the edit sees the key; the edit then reports its new text.
    edit->setKeyFilter(handlers.keyPress);
    connect(edit, &QLineEdit::textEdited, this,
            [this, edited = handlers.edited](const QString& text) { run([&] { edited(text); }); });
    if (handlers.exit)
        connect(edit, &ToolLineEdit::exited, this, [this, exit = handlers.exit] { run(exit); });
    connect(edit, &ToolLineEdit::doubleClicked, this,
            [this, doubleClick = handlers.doubleClick] { run(doubleClick); });
    return edit;
}

void BusToolDialog::showButton(QPushButton* widget, const Button& model) {
    widget->setText(model.caption);
    widget->setEnabled(model.enabled);
}

void BusToolDialog::showButton(QPushButton* widget, const HintButton& model) {
    showButton(widget, static_cast<const Button&>(model));
    widget->setToolTip(model.hint);
}

void BusToolDialog::showField(ToolLineEdit* widget, const TextField& model) {
    widget->showText(model.text);
    widget->setEnabled(model.enabled);
}

void BusToolDialog::showField(ToolLineEdit* widget, const HintEdit& model) {
    showField(widget, static_cast<const TextField&>(model));
    widget->setToolTip(model.hint);
}
