#include "ui/TNumericEdit.h"

#include "config/NumericEdit.h"
#include "config/Prompter.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPointer>

#include <optional>

namespace {

constexpr int kDefaultMaxLength = 32767; // QLineEdit's own default

enum class KeyKind {
    Characters, // the key types the returned characters: filter them
    Navigation, // no character (arrows, Home/End, Delete, Tab, F-keys, modifiers): plain edit behaviour
    Menu,       // Alt+key: a menu mnemonic, never typed into the field
};

// What a key press types, as a Windows edit control would receive it: Backspace
// 8, Enter 13, Escape 27, Ctrl+letter its control code, otherwise the event's text.
KeyKind typedCharacters(const QKeyEvent* event, QString& typed) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const int key = event->key();
    switch (key) {
    case Qt::Key_Backspace:
        typed = QChar(ctrl ? 127 : NumericEdit::kBackspace);
        return KeyKind::Characters;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        typed = QChar(13);
        return KeyKind::Characters;
    case Qt::Key_Escape:
        typed = QChar(27);
        return KeyKind::Characters;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return KeyKind::Navigation;
    default:
        break;
    }
    if (ctrl && !alt && key >= Qt::Key_A && key <= Qt::Key_Z) {
        typed = QChar(key - Qt::Key_A + 1);
        return KeyKind::Characters;
    }
    if (alt && !ctrl) return KeyKind::Menu;
    // Ctrl+Alt is AltGr on some systems and types real characters. Whatever text
    // an event carries goes through the filter, so nothing reaches the edit unchecked.
    typed = event->text();
    return typed.isEmpty() ? KeyKind::Navigation : KeyKind::Characters;
}

QString localeSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QStringLiteral(".") : point.left(1);
}

} // namespace

TNumericEdit::TNumericEdit(QWidget* parent) : QLineEdit(parent) {
    m_field.Seperator = localeSeparator();
}

void TNumericEdit::SetVorkomma(int count) {
    RecordingPrompter dropped;
    NumericEdit::SetVorkomma(m_field, count, m_prompter ? *m_prompter : dropped);
}

void TNumericEdit::SetNachkomma(int count) {
    RecordingPrompter dropped;
    NumericEdit::SetNachkomma(m_field, count, m_prompter ? *m_prompter : dropped);
}

void TNumericEdit::SetSeperator(const QString& separator) {
    RecordingPrompter dropped;
    NumericEdit::SetSeperator(m_field, separator, m_prompter ? *m_prompter : dropped);
}

double TNumericEdit::GetDouble() const {
    return NumericEdit::GetDouble(text(), m_field.Seperator);
}

void TNumericEdit::applyField(const NumericField& field) {
    m_field.Vorkommastellen = field.Vorkommastellen;
    m_field.Nachkommastellen = field.Nachkommastellen;
    m_field.Seperator = field.Seperator;
    m_field.ShowErrorMessage = field.ShowErrorMessage;
    if (!field.name.isEmpty()) setObjectName(field.name);
    // setMaxLength puts the caret at the end even when the limit stays the same.
    const int maxLength = field.maxLength > 0 ? field.maxLength : kDefaultMaxLength;
    if (this->maxLength() != maxLength) setMaxLength(maxLength);
    if (text() != field.text) setText(field.text);
}

NumericField TNumericEdit::field() const {
    NumericField f = m_field;
    f.name = objectName();
    f.text = text();
    f.maxLength = maxLength() == kDefaultMaxLength ? 0 : maxLength();
    return f;
}

void TNumericEdit::keyPressEvent(QKeyEvent* event) {
    // A key-down handler may run a whole refresh with message boxes; do not touch
    // the field afterwards if that removed it.
    const QPointer<TNumericEdit> self(this);
    emit keyDown(event->key(), event->modifiers());
    if (self && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) emit enterPressed();
    if (!self) return;

    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }

    QString typed;
    switch (typedCharacters(event, typed)) {
    case KeyKind::Navigation:
        QLineEdit::keyPressEvent(event);
        return;
    case KeyKind::Menu:
        event->ignore();
        return;
    case KeyKind::Characters:
        break;
    }

    if (typed.size() == 1) {
        if (filterCharacter(typed.at(0))) {
            QLineEdit::keyPressEvent(event);
            return;
        }
    } else {
        // Several characters from one key (compose sequences): each is filtered
        // as if typed on its own.
        for (QChar c : std::as_const(typed)) {
            if (!self) return;
            if (filterCharacter(c)) {
                QKeyEvent single(QEvent::KeyPress, Qt::Key_unknown, event->modifiers(), QString(c));
                QLineEdit::keyPressEvent(&single);
            }
        }
    }
    // Enter and Escape still travel to the window (default and cancel buttons),
    // as a plain line edit lets them.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape)
        event->ignore();
    else
        event->accept();
}

bool TNumericEdit::filterCharacter(QChar key) {
    const NumericEdit::KeyResult r =
        NumericEdit::KeyPress(m_field, text(), selectionStart(), selectionLength(), cursorPosition(), key);
    if (r.textChanged) {
        setText(r.text);
        setCursorPosition(r.caret);
        emit textEdited(text());
    }
    if (!r.accepted && m_prompter) NumericEdit::showRefusal(m_field, r, *m_prompter);
    return r.accepted;
}

void TNumericEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu or a message box takes focus only for a moment: the user has
    // not left the field, and a box shown by the exit handler must not exit again.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        emit exited();
}
