#pragma once

#include "config/Prompter.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <cstdio>
#include <functional>

// The prompter of the command line: every box the window would show becomes
// "caption: text" on stderr; questions are answered from the command's options
// or refused, so nothing changes that the user did not ask for.
class CliPrompter : public Prompter {
  public:
    explicit CliPrompter(std::FILE* out = stderr) : out(out) {}

    // Answer for a question box by its caption (e.g. "Diese Datei laden?").
    QHash<QString, Button> answers;
    // Questions answered above without a line on stderr: the load question for a file the
    // program keeps itself (a plan's or the archive's), which would repeat for every instrument.
    QSet<QString> unheard;
    // --yes: every question not listed above is answered with "Ja".
    bool answerYes = false;
    // Paths the file dialogs return, in order; empty: the dialog is cancelled.
    QStringList openAnswers;
    QStringList saveAnswers;
    // The text the comment window takes over; unset: the window is closed as it is.
    bool haveComment = false;
    QString comment;
    // Acts as the user in a window, by its class name (address, name, flow calculator);
    // a window without one is closed at once.
    QHash<QByteArray, std::function<void(ModalWindow&)>> onModal;
    // --reason: the line every text question is answered with; unset: its preset.
    std::optional<QString> textAnswer;
    // Texts of every box shown, so a caller does not repeat one.
    QStringList shownTexts;
    // stderr is a terminal that may hold a progress line: a message clears it first.
    bool clearLine = false;

    Button message(const Message& m) override;
    void beep(Beep) override {}
    QString openFileName(const QString&, const QString&, const QString&) override {
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString saveFileName(const QString&, const QString&, const QString&) override {
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    // No viewer on a terminal: the caller is told which file it would have been.
    bool openDocument(const QString&) override { return false; }
    void showModal(ModalWindow& window) override;
    std::optional<QString> textLine(const QString&, const QString&, const QString& preset) override {
        return textAnswer.value_or(preset);
    }

    // One message as printed: "caption: text", continuation lines indented.
    static QString line(const QString& caption, const QString& text);

  private:
    std::FILE* out;
};
