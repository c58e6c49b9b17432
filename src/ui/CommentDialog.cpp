#include "ui/CommentDialog.h"
#include "ui/DialogFrame.h"
#include "ui/PushButton.h"

#include "files/CommentWindow.h"
#include "ui/QtPrompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using dialogframe::place;

CommentDialog::CommentDialog(CommentWindow& window, QWidget* parent) : QDialog(parent), w(window) {
    dialogframe::setUp(this, QStringLiteral("f_DateiKommentar"), w.caption, w.clientWidth, w.clientHeight, 8);
    label = new QLabel(this);
    place(label, w.Label1);
    edit = new QLineEdit(this);
    place(edit, w.Edit1);
    button = new PushButton(this);
    place(button, w.Button1);

    connect(edit, &QLineEdit::textEdited, this,
            [this](const QString& text) { run([this, text] { w.Edit1Change(text); }); });
    connect(button, &QPushButton::clicked, this, [this] { run([this] { w.Button1Click(); }); });
    render();
}

void CommentDialog::run(const std::function<void()>& handler) {
    if (rendering) return;
    handler();
    render();
    if (w.closeRequested) accept();
}

void CommentDialog::render() {
    rendering = true;
    label->setText(w.Label1.caption);
    if (edit->text() != w.Edit1.text) edit->setText(w.Edit1.text);
    button->setText(w.Button1.caption);
    rendering = false;
}

void registerFileDialogs(QtPrompter& prompter) {
    prompter.registerWindow(QStringLiteral("Tf_DateiKommentar"), [](ModalWindow& w, QWidget* parent) {
        CommentDialog dialog(static_cast<CommentWindow&>(w), parent);
        dialog.exec();
    });
}
