#include "app/CompareWindow.h"

#include "app/SettingsStore.h"
#include "files/D20Format.h"

#include <QDir>

namespace {

// Hands the file the user chose in the compare window to the file load, and passes
// everything else (the load question, error boxes) on to the user.
class ChosenFile : public Prompter {
  public:
    ChosenFile(Prompter& inner, QString file) : inner(inner), file(std::move(file)) {}
    Button message(const Message& m) override { return inner.message(m); }
    void beep(Beep kind) override { inner.beep(kind); }
    QString openFileName(const QString&, const QString&, const QString&) override { return file; }
    // A compare never writes: an old file is not brought up to date here.
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool openDocument(const QString& path) override { return inner.openDocument(path); }
    void showModal(ModalWindow& window) override { inner.showModal(window); }

  private:
    Prompter& inner;
    QString file;
};

} // namespace

CompareWindow::CompareWindow(MainWindowModel& w, const MainEnvironment& environment)
    : window(w), env(environment) {
    b_Datei.name = QStringLiteral("b_Datei");
    b_Datei.caption = QStringLiteral("Mit &Datei vergleichen…");
    b_Geraet.name = QStringLiteral("b_Geraet");
    b_Geraet.caption = QStringLiteral("Mit &Gerät vergleichen");
    // The instrument is read as "&Einlesen" would read it, so only when that may run.
    b_Geraet.enabled = window.Konfigurationlesen1.enabled && window.comPort > 0;
    b_Schliessen.name = QStringLiteral("b_Schliessen");
    b_Schliessen.caption = QStringLiteral("&Schließen");
    l_Quelle.name = QStringLiteral("l_Quelle");
    l_Ergebnis.name = QStringLiteral("l_Ergebnis");
    l_Ergebnis.caption = QStringLiteral("Mit einer Datei oder dem angeschlossenen Gerät vergleichen.");
}

QString CompareWindow::columnTitle(int column) const {
    switch (column) {
    case Gruppe:
        return QStringLiteral("Gruppe");
    case Feld:
        return QStringLiteral("Feld");
    case Fenster:
        return QStringLiteral("Fenster");
    default:
        return otherTitle;
    }
}

void CompareWindow::b_DateiClick() {
    const QString folder = env.settings->configFolder();
    const QString fileName = env.prompter->openFileName(folder, d20::kFilter, d20::kSuffix);
    if (fileName.isEmpty()) return;
    compareWith(Side::File, fileName);
}

void CompareWindow::b_GeraetClick() {
    if (!b_Geraet.enabled) return;
    compareWith(Side::Instrument);
}

void CompareWindow::compareWith(Side side, const QString& fileName) {
    // The other side: the window's model as it stands, read over by its own handlers.
    MainWindowModel other = window;
    ChosenFile chosen(*env.prompter, fileName);
    MainEnvironment e = env;
    e.prompter = &chosen;
    e.callLog = nullptr; // the window's own handlers already listen to the log
    if (side == Side::Instrument) {
        // A readout takes a while: the old result goes first, the progress shows meanwhile.
        rows.clear();
        l_Quelle.caption = QStringLiteral("Gerät an COM%1").arg(window.comPort);
        l_Ergebnis.caption = QStringLiteral("Lese Daten vom Gerät …");
        if (busProgress) busProgress(true);
        if (repaint) repaint();
    }
    bool read = false;
    {
        MainHandlers reader(other, e);
        if (side == Side::File) {
            reader.lesen1Click();
            read = other.source.kind == MainWindowModel::ConfigSource::Kind::File;
        } else {
            reader.Konfigurationlesen1Click();
            read = reader.lastBusStatus() >= 0;
        }
    }
    if (side == Side::Instrument && busProgress) busProgress(false);
    otherTitle = side == Side::File ? QStringLiteral("Datei") : QStringLiteral("Gerät");
    l_Quelle.caption = side == Side::File ? QStringLiteral("Datei: ") + QDir::toNativeSeparators(fileName)
                                          : QStringLiteral("Gerät an COM%1").arg(other.comPort);
    done = read;
    if (!read) {
        rows.clear();
        l_Ergebnis.caption = QStringLiteral("Nicht verglichen: ") + other.StatusBar1.panels[2];
        return;
    }
    rows = differences(shownFields(window), shownFields(other));
    l_Ergebnis.caption = differenceCount(rows);
}
