#pragma once

#include <QLineEdit>

#include <functional>

class QFocusEvent;
class QKeyEvent;
class QMouseEvent;

// Entry field of the bus tool windows. Every typed character is offered to the
// window's key filter first; a refused one never reaches the edit. Editing keys
// without a character (arrows, Delete) work as usual.
class ToolLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    // Gets the character, the selection (start, length; 0: none) and the caret.
    using KeyFilter = std::function<bool(QChar key, int selStart, int selLength, int caret)>;

    explicit ToolLineEdit(QWidget* parent = nullptr);
    void setKeyFilter(KeyFilter filter) { keyFilter = std::move(filter); }
    // Sets the text only when it differs, so rendering while typing keeps the caret.
    void showText(const QString& text);

  signals:
    void doubleClicked();
    // Focus moved to another control of the window (not to a popup or another window).
    void exited();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    KeyFilter keyFilter;
};
