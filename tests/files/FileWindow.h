#pragma once

#include "files/CommentWindow.h"
#include "support/AppFixture.h"

#include <QFile>
#include <QStringList>

#include <ostream>

// What the settings restore at start-up.
struct Session {
    QChar separator = QChar(u',');
    bool unitExtra = false;        // "&Anzeigeeinheit Sichtbar" restored as checked
    bool extendedUnlocked = false; // the extended words unlocked and in use
};

// A started main window with a serial port, saving and loading d20 files
// through its menu handlers, as a user would.
struct FileWindow : AppFixture {
    explicit FileWindow(Session s = Session()) {
        separator = s.separator;
        preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
        preset(QStringLiteral("Schnittstelle"), QStringLiteral("PegelWandler"), QStringLiteral("6"));
        preset(QStringLiteral("Extras"), QStringLiteral("AnzeigeEinheit"),
               QLatin1String(s.unitExtra ? "1" : "0"));
        const QString unlocked = QLatin1String(s.extendedUnlocked ? "1" : "0");
        preset(QStringLiteral("SpecialFunctions"), QStringLiteral("Konfiguration"), unlocked);
        preset(QStringLiteral("SpecialFunctions"), QStringLiteral("LetzteKonfiguration"), unlocked);
        mainScript.units = {{1, QStringLiteral("mA")},
                            {2, QStringLiteral("V")},
                            {5, QStringLiteral("bar")},
                            {7, QStringLiteral("kPa")}};
        start().FormActivate();
        prompter.onModal = [this](ModalWindow& w) {
            auto& window = static_cast<CommentWindow&>(w);
            if (comment.isNull()) return; // closed without "Übernehmen"
            window.Edit1Change(comment);
            window.Button1Click();
        };
    }

    ConfigActions& a() { return handlers->config(); }
    MainWindowModel& m() { return model; }
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }

    // "Konfiguration &speichern" into `path`, typing `text` as the comment (null: window closed).
    void save(const QString& path, const QString& text = QString()) {
        comment = text;
        prompter.saveAnswers = {path};
        handlers->miDatenspeichernClick();
    }
    // "Konfiguration &lesen" of `path`, answering the questions with `answers` (default: Yes).
    void load(const QString& path, QList<Prompter::Button> answers = {}) {
        prompter.openAnswers = {path};
        prompter.script = answers;
        handlers->lesen1Click();
    }

    // --- the user's clicks ----------------------------------------------------------------------
    // Start-up restored the DVN 20 TB, which took the extended words out of use.
    void useExtendedWords() {
        if (!model.MainMenueExtras_ErweiterteKonfiguration.checked)
            a().MainMenueExtras_ErweiterteKonfigurationClick();
    }
    void input(int kind, int sensor) {
        model.rgInput.itemIndex = kind;
        a().rgInputClick();
        if (sensor < 0) return;
        model.rgSensor.itemIndex = sensor;
        a().rgSensorClick();
    }
    void output(int position) {
        model.rgOutput.itemIndex = position;
        a().rgOutputClick();
    }
    void controller(int index) {
        model.rgReglerFunktion.itemIndex = index;
        a().rgReglerFunktionClick();
    }
    // Text typed with ',' as the decimal point; leaving the field refreshes the window.
    void type(NumericField& field, const char* text) {
        field.text = QString::fromLatin1(text).replace(QLatin1Char(','), separator);
        a().numericFieldExit();
    }
    void pick(ItemList& list, int index) {
        list.setItemIndex(index);
        a().numericFieldExit();
    }

    static QByteArray bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QStringList lines(const QString& path) {
        QStringList out = QString::fromLatin1(bytes(path)).split(QStringLiteral("\r\n"));
        if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
        return out;
    }
    static void write(const QString& path, const QStringList& lines) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
    }

    QString comment;
};

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
