#include "ui/CommentDialog.h"

#include "files/CommentWindow.h"
#include "ui/QtPrompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
void place(QWidget* widget, const Control& c) {
    widget->setObjectName(c.name);
    widget->setGeometry(c.geometry.left, c.geometry.top, c.geometry.width, c.geometry.height);
}
} // namespace

CommentDialog::CommentDialog(CommentWindow& window, QWidget* parent) : QDialog(parent), w(window) {
    setObjectName(QStringLiteral("f_DateiKommentar"));
    setWindowTitle(w.caption);
    setFixedSize(w.clientWidth, w.clientHeight);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont f = font();
    f.setPointSize(8);
    f.setBold(false);
    setFont(f);
    label = new QLabel(this);
    place(label, w.Label1);
    edit = new QLineEdit(this);
    place(edit, w.Edit1);
    button = new QPushButton(this);
    place(button, w.Button1);
    button->setAutoDefault(false);

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
