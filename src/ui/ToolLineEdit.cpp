#include "ui/ToolLineEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {
constexpr char16_t kBackspace = 8;
constexpr char16_t kDelete = 0x7F;
} // namespace

ToolLineEdit::ToolLineEdit(QWidget* parent) : QLineEdit(parent) {}

void ToolLineEdit::showText(const QString& value) {
    if (text() != value) setText(value);
}

void ToolLineEdit::keyPressEvent(QKeyEvent* event) {
    // Escape is no typed character: it closes the window, whatever the field would take.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QChar key;
    if (event->key() == Qt::Key_Backspace)
        key = QChar(kBackspace);
    else if (!event->text().isEmpty() && event->text().at(0) != QChar(kDelete))
        key = event->text().at(0);
    if (!key.isNull() && keyFilter) {
        const int length = int(selectedText().size());
        const int start = length > 0 ? selectionStart() : cursorPosition();
        if (!keyFilter(key, start, length, cursorPosition())) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void ToolLineEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void ToolLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        emit exited();
}
