#include "cli/CliPrompter.h"

#include "cli/Output.h"
#include "files/CommentWindow.h"

QString CliPrompter::line(const QString& caption, const QString& text) {
    QString body = text.trimmed();
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    body.replace(QLatin1Char('\n'), QLatin1String("\n  "));
    return caption + QLatin1String(": ") + body;
}

Prompter::Button CliPrompter::message(const Message& m) {
    Button answer = m.defaultButton;
    if (m.buttons.size() > 1) {
        // A question: the option's answer, else the refusal the box offers.
        if (auto it = answers.constFind(m.caption); it != answers.constEnd() && m.buttons.contains(*it)) {
            if (unheard.contains(m.caption)) return *it;
            answer = *it;
        } else if (answerYes && m.buttons.contains(Button::Yes))
            answer = Button::Yes;
        else if (m.buttons.contains(Button::No))
            answer = Button::No;
        else if (m.buttons.contains(Button::Cancel))
            answer = Button::Cancel;
    }
    shownTexts.append(m.text);
    QString text = line(m.caption, m.text);
    if (m.buttons.size() > 1)
        text += answer == Button::Yes  ? QLatin1String(" [Ja]")
                : answer == Button::No ? QLatin1String(" [Nein]")
                                       : QLatin1String(" [Abbrechen]");
    cliout::heard(text);
    if (clearLine) std::fputs("\r\033[K", out);
    std::fprintf(out, "%s\n", text.toLocal8Bit().constData());
    std::fflush(out);
    return answer;
}

void CliPrompter::showModal(ModalWindow& window) {
    if (qstrcmp(window.windowClass(), "Tf_DateiKommentar") == 0 && haveComment) {
        auto& w = static_cast<CommentWindow&>(window);
        w.Edit1.text = comment;
        w.Edit1Change(comment);
        w.Button1Click();
    } else if (const auto act = onModal.value(QByteArray(window.windowClass()))) {
        act(window);
    }
    // Every other window is closed without a change, as the user closing it would.
}
