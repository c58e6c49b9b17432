#pragma once

#include "config/Controls.h"

#include <QLineEdit>

class Prompter;
class QFocusEvent;
class QKeyEvent;

// Single-line entry field for every numeric setting. Typed characters go
// through the field's key filter first; a refused one never reaches the edit.
// Pasting through the context menu is not filtered.
class TNumericEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int Vorkommastellen READ GetVorkomma WRITE SetVorkomma)
    Q_PROPERTY(int Nachkommastellen READ GetNachkomma WRITE SetNachkomma)
    Q_PROPERTY(QString Seperator READ GetSeperator WRITE SetSeperator)
    Q_PROPERTY(bool ShowErrorMessage READ showErrorMessage WRITE setShowErrorMessage)

  public:
    explicit TNumericEdit(QWidget* parent = nullptr);

    // Where the field's message boxes go; without one they are dropped.
    void setPrompter(Prompter* prompter) { m_prompter = prompter; }

    void SetVorkomma(int count);
    int GetVorkomma() const { return m_field.Vorkommastellen; }
    void SetNachkomma(int count);
    int GetNachkomma() const { return m_field.Nachkommastellen; }
    void SetSeperator(const QString& separator);
    QString GetSeperator() const { return m_field.Seperator; }
    void setShowErrorMessage(bool show) { m_field.ShowErrorMessage = show; }
    bool showErrorMessage() const { return m_field.ShowErrorMessage; }

    double GetDouble() const;

    // Renders a model field: text, digit counts, separator, message flag and
    // length limit. Visibility, enabled state and geometry are left to the
    // window, which lays out all its controls alike. The text is only set when
    // it differs, so re-rendering while the user types keeps the caret.
    void applyField(const NumericField& field);
    // The field's properties with the current text.
    NumericField field() const;

  signals:
    // Every key press, before filtering (the main window refreshes on Enter).
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void enterPressed();
    // Focus moved to another control of the window (not to a popup or another window).
    void exited();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // Runs the key filter for one character and applies a sign change; true when
    // the character may reach the edit.
    bool filterCharacter(QChar key);

    NumericField m_field; // properties only; the text lives in the edit
    Prompter* m_prompter = nullptr;
};
