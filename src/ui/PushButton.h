#pragma once

#include <QKeyEvent>
#include <QPushButton>

// The push button of every window: Enter presses it when it has the focus, as Space
// does. It never becomes a window's default button by itself, so Enter in an entry
// field presses a button only where the window makes one its default.
class PushButton : public QPushButton {
  public:
    explicit PushButton(QWidget* parent = nullptr) : QPushButton(parent) { setAutoDefault(false); }
    PushButton(const QString& text, QWidget* parent) : QPushButton(text, parent) { setAutoDefault(false); }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            click();
            event->accept();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};
