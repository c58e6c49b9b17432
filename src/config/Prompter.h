#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// State and logic of a modal window other than the main window. The widget
// layer shows a dialog for it by its class name; tests act on it directly.
class ModalWindow {
public:
    virtual ~ModalWindow() = default;
    virtual const char* windowClass() const = 0;
    bool closeRequested = false; // set by the window's logic when it wants to close
};

// Everything the program asks of the user or tells the user goes through this
// interface: message boxes, beeps, file dialogs. The widget layer shows real
// dialogs; tests use a scripted recorder; headless runs answer with defaults.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Button { None, Ok, Yes, No, Cancel };
    enum class Beep { Default, Exclamation, Asterisk };

    struct Message {
        QString text;
        QString caption;
        Icon icon = Icon::None;
        QList<Button> buttons{Button::Ok};
        Button defaultButton = Button::Ok;
        // Captions of buttons that say what they do ("Erneut programmieren"); the others
        // carry their usual captions.
        QHash<Button, QString> buttonTexts;
    };

    virtual ~Prompter() = default;

    // Shows a modal message box and returns the button pressed. Closing the
    // box without a button returns Cancel when offered, else the default button.
    virtual Button message(const Message& m) = 0;
    virtual void beep(Beep kind) = 0;

    // File dialogs: return the chosen path, or an empty string when cancelled.
    virtual QString openFileName(const QString& folder, const QString& filter, const QString& defaultSuffix) = 0;
    virtual QString saveFileName(const QString& folder, const QString& filter, const QString& defaultSuffix) = 0;

    // Opens a document with the desktop's default viewer (help pages, manuals);
    // false when no viewer took it.
    virtual bool openDocument(const QString& path) = 0;
    // Shows a document the system's viewers did not take; set by the application
    // (its own help window). False when it cannot show the document either.
    std::function<bool(const QString& path)> fallbackViewer;
    // The same, falling back to the program's own viewer, and telling the user in
    // German which file could not be shown when neither took it.
    void showDocument(const QString& path) {
        if (openDocument(path)) return;
        if (fallbackViewer && fallbackViewer(path)) return;
        show(QStringLiteral("Die Datei „%1“ konnte nicht angezeigt werden.\nEs ist kein Programm zum Anzeigen "
                            "von HTML-Seiten eingerichtet, oder die Datei fehlt.")
                 .arg(path),
             QStringLiteral("Fehler"), Icon::Error);
    }

    // Shows a window modally; returns when it is closed.
    virtual void showModal(ModalWindow& window) = 0;

    // Asks for one line of text, offering `preset`; nothing when the user cancels.
    // A prompter that cannot ask takes the preset.
    virtual std::optional<QString> textLine(const QString& text, const QString& caption, const QString& preset) {
        Q_UNUSED(text);
        Q_UNUSED(caption);
        return preset;
    }

    // Convenience: an OK box with the given text, caption and icon.
    Button show(const QString& text, const QString& caption, Icon icon = Icon::None) {
        Message m;
        m.text = text;
        m.caption = caption;
        m.icon = icon;
        return message(m);
    }
};

// Answers every box with its default button and records what was shown.
// Used for headless runs and as the base of the scripted test prompter.
class RecordingPrompter : public Prompter {
public:
    struct Shown {
        Message message;
        Button answer;
    };

    // Answers used in order for the next boxes; when empty the default button answers.
    QList<Button> script;
    QList<Shown> shown;
    QList<Beep> beeps;
    QStringList openedDocuments;
    bool documentsOpen = true; // whether a viewer takes them
    QStringList openAnswers; // paths returned by openFileName, in order
    QStringList saveAnswers; // paths returned by saveFileName, in order
    QStringList modalWindows; // class names of the windows shown
    QStringList textAnswers;  // lines the text questions return, in order; none left: the preset
    QStringList textQuestions; // captions of the text questions asked
    int textCancels = 0;       // the next this many text questions are answered "Abbrechen"
    // Acts as the user in a modal window; when unset the window is closed at once.
    std::function<void(ModalWindow&)> onModal;

    Button message(const Message& m) override {
        Button answer = script.isEmpty() ? m.defaultButton : script.takeFirst();
        shown.append({m, answer});
        return answer;
    }
    void beep(Beep kind) override { beeps.append(kind); }
    QString openFileName(const QString&, const QString&, const QString&) override {
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString saveFileName(const QString&, const QString&, const QString&) override {
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    bool openDocument(const QString& path) override {
        openedDocuments.append(path);
        return documentsOpen;
    }
    std::optional<QString> textLine(const QString&, const QString& caption, const QString& preset) override {
        textQuestions.append(caption);
        if (textCancels > 0) {
            --textCancels;
            return std::nullopt;
        }
        return textAnswers.isEmpty() ? preset : textAnswers.takeFirst();
    }
    void showModal(ModalWindow& window) override {
        modalWindows.append(QLatin1String(window.windowClass()));
        if (onModal)
            onModal(window);
    }

    QStringList texts() const {
        QStringList out;
        for (const auto& s : shown)
            out.append(s.message.text);
        return out;
    }
    QStringList captions() const {
        QStringList out;
        for (const auto& s : shown)
            out.append(s.message.caption);
        return out;
    }
};
