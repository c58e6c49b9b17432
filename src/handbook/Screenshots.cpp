#include "handbook/Screenshots.h"

#include "app/BusMonitorWindow.h"
#include "app/ArchiveWindow.h"
#include "app/ComPortWindow.h"
#include "app/CompareWindow.h"
#include "app/ConfigSheet.h"
#include "app/ExtendedWordsWindow.h"
#include "app/LinePlanWindow.h"
#include "app/LiveValueSession.h"
#include "app/MainHandlers.h"
#include "app/SettingsStore.h"
#include "bus/BusPort.h"
#include "bus/CallLog.h"
#include "bus/LibraryBinding.h"
#include "bus/LoggingLibrary.h"
#include "config/ModelCatalogue.h"
#include "files/CommentWindow.h"
#include "tools/AddressWindow.h"
#include "tools/BusScanWindow.h"
#include "tools/DeviceNameWindow.h"
#include "tools/FlowCalculatorWindow.h"
#include "tools/SelectAddressWindow.h"
#include "ui/AddressDialog.h"
#include "ui/ArchiveDialog.h"
#include "ui/BusScanDialog.h"
#include "ui/BusMonitorDialog.h"
#include "ui/ComPortDialog.h"
#include "ui/CommentDialog.h"
#include "ui/CompareDialog.h"
#include "ui/DeviceNameDialog.h"
#include "ui/ExtendedWordsDialog.h"
#include "ui/FlowCalculatorDialog.h"
#include "ui/LinePlanDialog.h"
#include "ui/LiveValueDialog.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"
#include "ui/SelectAddressDialog.h"
#include "ui/SheetPainter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QPainter>
#include <QPushButton>
#include <QTableView>

#include <functional>
#include <memory>

namespace screenshots {

namespace {

void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Answers every question with its default button and shows each modal window without
// waiting for the user: the window's state is prepared, pictured, and it closes.
class ShotPrompter : public QtPrompter {
  public:
    using Shot = std::function<void(ModalWindow&, QWidget* parent)>;

    QStringList messages;
    QStringList saveAnswers;
    QHash<QString, Shot> shots;
    // Questions pictured as the screen shows them, by their caption; each answered with its default.
    QHash<QString, std::function<void(QWidget&)>> boxShots;
    QString textAnswer; // what the user types into a one-line question

    Button message(const Message& m) override {
        messages.append(m.caption + QStringLiteral(": ") + m.text);
        if (const auto it = boxShots.find(m.caption); it != boxShots.end()) {
            QMessageBox box(QMessageBox::Question, m.caption, m.text, QMessageBox::NoButton);
            if (m.icon == Icon::Warning) box.setIcon(QMessageBox::Warning);
            for (Button b : m.buttons) {
                const QString usual = b == Button::Yes ? QStringLiteral("&Ja")
                                      : b == Button::No ? QStringLiteral("&Nein")
                                                        : QStringLiteral("Abbrechen");
                QPushButton* button = box.addButton(m.buttonTexts.value(b, usual),
                                                    b == Button::Yes  ? QMessageBox::YesRole
                                                    : b == Button::No ? QMessageBox::NoRole
                                                                      : QMessageBox::RejectRole);
                if (b == m.defaultButton) box.setDefaultButton(button);
            }
            box.show();
            (*it)(box);
        }
        return m.defaultButton;
    }
    std::optional<QString> textLine(const QString& text, const QString& caption, const QString&) override {
        if (const auto it = boxShots.find(caption); it != boxShots.end()) {
            QInputDialog dialog;
            dialog.setWindowTitle(caption);
            dialog.setLabelText(text);
            dialog.setTextValue(textAnswer);
            // The toolkit's button as the program shows it with its German texts.
            dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
            dialog.show();
            (*it)(dialog);
        }
        return textAnswer;
    }
    QString saveFileName(const QString&, const QString&, const QString&) override {
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool openDocument(const QString&) override { return true; }
    void showModal(ModalWindow& window) override {
        const auto it = shots.find(QLatin1String(window.windowClass()));
        if (it != shots.end()) (*it)(window, nullptr);
    }
};

class Session {
  public:
    Session(const QString& folder, const QString& libraryFolder, const QString& scratch, QStringList& problems)
        : folder(folder), libraryFolder(libraryFolder), scratch(scratch), problems(problems) {}

    QStringList taken;

    void save(QWidget& widget, const QString& name) {
        settle();
        if (widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))))
            taken.append(name);
        else
            problems.append(QStringLiteral("Bild %1 konnte nicht gespeichert werden").arg(name));
    }

    // A dialog as the screen shows it: with a title bar that names the window and a frame.
    void saveFramed(QWidget& widget, const QString& name) {
        settle();
        const QPixmap inside = widget.grab();
        constexpr int bar = 24;
        QImage image(inside.width() + 2, inside.height() + bar + 1, QImage::Format_RGB32);
        image.fill(QColor(0x3a, 0x5f, 0x8a));
        QPainter painter(&image);
        painter.drawPixmap(1, bar, inside);
        QFont font = widget.font();
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(8, 0, image.width() - 40, bar), Qt::AlignVCenter | Qt::AlignLeft, widget.windowTitle());
        painter.drawText(QRect(image.width() - 24, 0, 18, bar), Qt::AlignCenter, QStringLiteral("✕"));
        painter.end();
        if (image.save(QDir(folder).filePath(name + QStringLiteral(".png"))))
            taken.append(name);
        else
            problems.append(QStringLiteral("Bild %1 konnte nicht gespeichert werden").arg(name));
    }

    template <typename Window, typename Dialog>
    void shoot(const char* windowClass, const QString& name, std::function<void(Window&)> prepare = {}) {
        prompter.shots.insert(QLatin1String(windowClass), [this, name, prepare](ModalWindow& w, QWidget*) {
            auto& window = static_cast<Window&>(w);
            if (prepare) prepare(window);
            Dialog dialog(window, main.get());
            dialog.show();
            dialog.render();
            saveFramed(dialog, name);
        });
    }

    // A main window as the program starts it, over the simulated instruments.
    // modelCode: the model stored at the last close, which the start restores.
    void start(int port, bool extended, int modelCode = 0) {
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Schnittstelle/ComPort"), QString::number(port));
        ini.setValue(QStringLiteral("Schnittstelle/PegelWandler"), QStringLiteral("6"));
        ini.setValue(QStringLiteral("System/GeraeteTyp"), QString::number(modelCode));
        ini.setValue(QStringLiteral("SpecialFunctions/Konfiguration"), QLatin1String(extended ? "1" : "0"));
        ini.setValue(QStringLiteral("SpecialFunctions/LetzteKonfiguration"), QLatin1String(extended ? "1" : "0"));
        ini.sync();
        main.reset();
        handlers.reset();
        // A log of its own per window: the log calls back into the handlers that listen to it.
        log = std::make_unique<CallLog>();
        model = std::make_unique<MainWindowModel>();
        store = std::make_unique<SettingsStore>(iniPath(), prompter, [this] { return scratch; });
        MainEnvironment env;
        env.prompter = &prompter;
        env.settings = store.get();
        env.clock = &clock;
        env.callLog = log.get();
        env.makeLibrary = [this](const QList<BusLibrary::Entry>& entries) -> std::unique_ptr<BusLibrary> {
            return std::make_unique<LoggingLibrary>(std::make_unique<LibraryBinding>(QStringList{libraryFolder}, entries),
                                                    *log);
        };
        env.localeSeparator = [] { return QChar(u','); };
        env.currentDirectory = scratch;
        env.record = record;
        if (record) env.now = [this] { return when; };
        handlers = std::make_unique<MainHandlers>(*model, env);
        handlers->FormActivate();
        main = std::make_unique<MainWindow>(*handlers, prompter);
        main->show();
    }

    // Reads the instrument on the current port with the given model, as "&Einlesen" does.
    void read(const char* menuItem) {
        main->action(QLatin1String(menuItem))->trigger();
        main->action(QStringLiteral("Konfigurationlesen1"))->trigger();
        handlers->t_StatusLeisteTimer(); // the designation back in the status bar
        main->render();
    }

    void run() {
        QDir().mkpath(folder);
        prepareShots();

        // The first start: no port stored yet, so the program opens the port window by itself.
        start(0, false);
        prompter.shots.remove(QStringLiteral("Tf_ComPort"));

        // Several models, each read from its simulated instrument.
        const struct {
            int port;
            const char* menuItem;
            const char* name;
        } readouts[] = {
            {1, "MainMenueSchnittstelleItemTRK520PID", "hauptfenster_trk520pid"},
            {3, "MainMenueSchnittstelleItemTRK520XAO", "hauptfenster_trk520xao"},
            {4, "MainMenueSchnittstelleItemDVN500XAOV", "hauptfenster_dvn500xao"},
            {5, "MainMenueSchnittstelleItemDVN20TB", "hauptfenster_dvn20tb"},
            {7, "MainMenueSchnittstelleItemTRK520PID_StetigA", "hauptfenster_sta1"},
        };
        for (const auto& r : readouts) {
            start(r.port, false);
            read(r.menuItem);
            save(*main, QLatin1String(r.name));
        }

        // The dialogs, opened from the menus of a window that has just read port 1.
        start(1, true, 8); // TRK 520 PID, so the extended words stay in use
        read("MainMenueSchnittstelleItemTRK520PID");
        handlers->b_erw_AnzeigenClick();
        handlers->Portauswahl1Click();
        read("MainMenueSchnittstelleItemTRK520PID");
        save(*main, QStringLiteral("hauptfenster_erweitert"));
        prompter.saveAnswers = {QDir(scratch).filePath(QStringLiteral("kessel1.d20"))};
        handlers->miDatenspeichernClick();
        // The first page of this window's configuration sheet, as the PDF shows it.
        sheetPage(QStringLiteral("konfigurationsblatt"));

        // One value changed in the window, then compared with the instrument it was read from.
        model->nePID_SP1.text = QStringLiteral("450");
        handlers->numericFieldExit();
        main->render();
        handlers->MainMenueExtras_VergleichenClick();

        handlers->MainMenueExtrasAdresseSetzenClick();
        handlers->mmExtras_GeraeteNamenZuweisenClick();
        handlers->MainMenueExtras_SelectAddressClick();
        handlers->MainMenueDurchflussMessungClick();

        // A read on the empty port 9 gives the monitor a failure row to show.
        const int16_t port = model->comPort;
        model->comPort = 9;
        main->action(QStringLiteral("Konfigurationlesen1"))->trigger();
        model->comPort = port;

        // The monitor beside the window, holding the calls of the runs above.
        handlers->MainMenueExtras_BusmonitorClick();
        main->render();
        if (BusMonitorDialog* monitor = main->monitorDialog()) {
            monitor->resize(900, 420);
            monitor->render();
            saveFramed(*monitor, QStringLiteral("busmonitor"));
        } else {
            problems.append(QStringLiteral("Der Busmonitor hat sich nicht geöffnet"));
        }

        lineShots();

        liveShots();

        programWithProof();

        main.reset();
        handlers.reset();
    }

    // Read, one value changed and programmed with its question and reason, read again: the
    // instrument's history in the archive window, one entry and two entries compared.
    void programWithProof() {
        InstrumentRecord work(QDir(scratch).filePath(QStringLiteral("archiv-aufnahme.sqlite")), {});
        record = &work;
        when = QDateTime(QDate(2026, 12, 7), QTime(9, 30));
        start(1, false);
        read("MainMenueSchnittstelleItemTRK520PID");
        when = when.addSecs(25 * 60);
        model->nePID_SP1.text = QStringLiteral("450");
        handlers->numericFieldExit();
        main->render();
        prompter.boxShots.insert(QStringLiteral("Programmieren?"),
                                 [this](QWidget& box) { saveFramed(box, QStringLiteral("programmieren_frage")); });
        prompter.boxShots.insert(QStringLiteral("Grund der Änderung"),
                                 [this](QWidget& box) { saveFramed(box, QStringLiteral("grund_der_aenderung")); });
        prompter.textAnswer = QStringLiteral("Sollwert nach Abnahme Kessel 1 angepasst");
        main->action(QStringLiteral("miKonfigurationprogrammieren1"))->trigger();
        prompter.boxShots.clear();
        // The sheet made now is the programming's acceptance record; it stands on the last page.
        bool knownBefore = false;
        if (const RecordEntry* run = handlers->programmingShown(&knownBefore))
            sheetPage(QStringLiteral("blatt_aenderungsnachweis"), 0, sheetAcceptance(*run, knownBefore));
        else
            problems.append(QStringLiteral("Nach dem Programmieren fehlt der Änderungsnachweis"));
        when = when.addSecs(5 * 60);
        main->action(QStringLiteral("Konfigurationlesen1"))->trigger();

        // The pictures name a technician and a workshop computer, not the machine they are made on.
        InstrumentRecord shown(QDir(scratch).filePath(QStringLiteral("archiv-bild.sqlite")), {});
        const QList<RecordEntry> history = work.history(bus::serialText(model->deviceIdentity));
        for (auto it = history.rbegin(); it != history.rend(); ++it) {
            RecordEntry e = *it;
            e.user = QStringLiteral("techniker");
            e.computer = QStringLiteral("werkstatt-pc");
            shown.add(std::move(e));
        }
        if (history.size() != 3) problems.append(QStringLiteral("Das Gerätearchiv hält %1 statt 3 Einträge").arg(history.size()));
        {
            ArchiveWindow archive(shown, *handlers);
            // Where a user's archive is, not the scratch copy made for the picture.
            archive.l_Archiv.caption = QStringLiteral(
                "Archiv: /home/techniker/.local/share/Halvora/Trk_Dvn_Konfigurationsprogramm/Geraetearchiv.sqlite");
            archive.entriesChosen({1}); // the programming, with its change
            ArchiveDialog dialog(archive, main.get());
            dialog.resize(1360, 620);
            dialog.show();
            dialog.render();
            saveFramed(dialog, QStringLiteral("geraetearchiv"));
            archive.entriesChosen({0, 2}); // the first readout against the last
            dialog.render();
            saveFramed(dialog, QStringLiteral("geraetearchiv_vergleich"));
        }

        // A run that broke off half way: the next readout names it and offers to put it right.
        {
            ProgrammingJournal broken;
            broken.started = when.addSecs(-10 * 60);
            broken.serial = bus::serialText(model->deviceIdentity);
            broken.identity = quint32(model->deviceIdentity);
            broken.port = 1;
            broken.address = 1;
            broken.user = QStringLiteral("techniker");
            broken.computer = QStringLiteral("werkstatt-pc");
            broken.target = history.first().configuration;
            broken.before = history.last().configuration;
            broken.beforeTime = history.last().time;
            const qint64 open = work.beginProgramming(broken);
            prompter.boxShots.insert(QStringLiteral("Unvollständig programmiert"),
                                     [this](QWidget& box) { saveFramed(box, QStringLiteral("unvollstaendig")); });
            main->action(QStringLiteral("Konfigurationlesen1"))->trigger();
            prompter.boxShots.clear();
            if (!taken.contains(QStringLiteral("unvollstaendig")))
                problems.append(QStringLiteral("Nach dem Einlesen fehlt die Frage „Unvollständig programmiert“"));
            work.endProgramming(open, true, {});
        }

        // The window read from Kessel Nord (port 10, address 0), then programmed into the known
        // instrument on port 1: the question warns and "Nein" is its default.
        model->comPort = 10;
        model->busAddress = 0;
        model->addressChosen = true;
        main->action(QStringLiteral("Konfigurationlesen1"))->trigger();
        model->comPort = 1;
        model->busAddress = 1;
        prompter.boxShots.insert(QStringLiteral("Programmieren?"), [this](QWidget& box) {
            saveFramed(box, QStringLiteral("programmieren_anderes_geraet"));
        });
        main->action(QStringLiteral("miKonfigurationprogrammieren1"))->trigger();
        prompter.boxShots.clear();
        main.reset();
        handlers.reset();
        record = nullptr;
    }

    ~Session() {
        main.reset();
        handlers.reset();
    }

  private:
    // The PDF goes through pdftoppm, the one rasteriser at hand that reads what QPdfWriter writes.
    // page: the sheet's page to show, 0 the last; acceptance: the record of the programming run it signs for.
    void sheetPage(const QString& name, int page = 1, std::optional<ConfigSheet::Acceptance> acceptance = {}) {
        auto sheet = configSheet(*model, QDateTime(QDate(2026, 12, 7), QTime(9, 30)), QChar(u','));
        sheet.acceptance = std::move(acceptance);
        // The picture names the version only, the same from one build of the handbook to the next.
        static const QRegularExpression revision(QStringLiteral(" \\(Revision [^)]*\\)"));
        sheet.footer.remove(revision);
        const QByteArray pdf = configSheetPdf(sheet, main->picture());
        const QString pdfPath = QDir(scratch).filePath(name + QStringLiteral(".pdf"));
        QFile out(pdfPath);
        if (pdf.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(pdf) != pdf.size()) {
            problems.append(QStringLiteral("Das Konfigurationsblatt konnte nicht erzeugt werden"));
            return;
        }
        out.close();
        if (page == 0) { // the last page
            QProcess info;
            info.start(QStringLiteral("pdfinfo"), {pdfPath});
            info.waitForFinished(60000);
            static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
            page = std::max(1, pages.match(QString::fromUtf8(info.readAllStandardOutput())).captured(1).toInt());
        }
        QProcess raster;
        raster.start(QStringLiteral("pdftoppm"),
                     {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-f"),
                      QString::number(page), QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"),
                      pdfPath, QDir(folder).filePath(name)});
        if (!raster.waitForFinished(60000) || raster.exitStatus() != QProcess::NormalExit || raster.exitCode() != 0) {
            problems.append(QStringLiteral("pdftoppm (Paket poppler-utils) konnte das Konfigurationsblatt nicht "
                                           "in ein Bild wandeln: %1")
                                .arg(raster.errorString()));
            return;
        }
        taken.append(name);
    }

    // The line of port 10: the scan window halfway and at its end, then the line window's check
    // with one switch point changed in a d20 file and one instrument swapped and taken over.
    void lineShots() {
        start(10, false);
        prompter.shots.insert(QStringLiteral("TBusDurchsuchen"), [this](ModalWindow& mw, QWidget*) {
            auto& w = static_cast<BusScanWindow&>(mw);
            BusScanDialog dialog(w, main.get());
            dialog.show();
            const std::function<void()> paint = w.repaint;
            bool halfway = false;
            w.repaint = [&] {
                paint();
                if (!halfway && w.progress.done == 120) {
                    halfway = true;
                    save(dialog, QStringLiteral("bus_durchsuchen_laeuft"));
                }
            };
            w.b_DurchsuchenClick();
            w.repaint = paint;
            w.rowSelected(0);
            dialog.render();
            save(dialog, QStringLiteral("bus_durchsuchen"));
        });
        handlers->MainMenueExtras_BusDurchsuchenClick();

        prompter.shots.insert(QStringLiteral("TAnlage"), [this](ModalWindow& mw, QWidget*) {
            auto& w = static_cast<LinePlanWindow&>(mw);
            LinePlanDialog dialog(w, main.get());
            dialog.show();
            const QDir plans(QDir(scratch).filePath(QStringLiteral("anlage")));
            QDir().mkpath(plans.path());
            prompter.saveAnswers = {plans.filePath(QStringLiteral("halle2.json"))};
            w.b_PlanAnlegenClick();
            if (!w.plan) {
                problems.append(QStringLiteral("Der Anlagenplan wurde nicht angelegt: %1").arg(w.l_Status.caption));
                return;
            }
            // Where a user keeps a plan, not the scratch folder made for the pictures.
            const auto render = [&] {
                w.l_Plan.caption.replace(plans.path(), QStringLiteral("/home/techniker/Anlagen"));
                dialog.render();
            };
            render();
            save(dialog, QStringLiteral("anlage_angelegt"));
            changeSwitchPoint(plans.filePath(QStringLiteral("Adresse_088.d20")));
            swapInstrument(10, 17, QStringLiteral("0x07611099"));
            w.b_PruefenClick();
            for (int r = 0; r < w.lines.size(); ++r)
                if (w.lines.at(r).address == 17) w.rowSelected(r);
            render();
            save(dialog, QStringLiteral("anlage_pruefen"));
            w.b_ErsatzClick();
            for (int r = 0; r < w.lines.size(); ++r)
                if (w.lines.at(r).address == 88) w.rowSelected(r);
            render();
            save(dialog, QStringLiteral("anlage_ersetzt"));
        });
        handlers->MainMenueExtras_AnlageClick();
    }

    // The live value window on two instruments of port 10, on the library's stepped signal clock
    // (one second a poll): Tank Ost's sine until its answers stop, Relais Tor's step with a loop
    // check across it.
    void liveShots() {
        qputenv("TRAXBUS_SIGNALSTEP", "1");
        setRosterKey(10, 17, QStringLiteral("faults"),
                     QJsonArray{QJsonObject{{QStringLiteral("fn"), QStringLiteral("GetMeasurement")},
                                            {QStringLiteral("after"), 240},
                                            {QStringLiteral("status"), -2},
                                            {QStringLiteral("count"), -1}}});
        const auto type = [this](NumericField& field, const char* text) {
            field.text = QString::fromLatin1(text).replace(QLatin1Char(','), field.Seperator);
            handlers->config().numericFieldExit();
        };
        // Input 0/0: voltage, 0 - 10 V; 2/1: Pt100 in whole degrees.
        const auto open = [this](int address, ModelId id, int input, int sensor, int output) {
            start(10, false);
            model->busAddress = int16_t(address);
            model->addressChosen = true;
            handlers->config().selectModel(id);
            model->rgInput.itemIndex = input;
            handlers->config().rgInputClick();
            model->rgSensor.itemIndex = sensor;
            handlers->config().rgSensorClick();
            model->rgOutput.itemIndex = output;
            handlers->config().rgOutputClick();
        };
        const auto ticks = [](LiveValueSession& live, qint64& ms, int polls, int step = 1000) {
            const QDateTime begin(QDate(2026, 12, 7), QTime(10, 0));
            for (int i = 0; i < polls; ++i, ms += step)
                live.tick(ms, begin.addMSecs(ms));
        };
        const auto picture = [this](LiveValueSession& live, const QString& name) {
            LiveValueDialog dialog(live, prompter, scratch);
            dialog.resize(700, 640);
            dialog.render();
            saveFramed(dialog, name);
        };

        open(17, ModelId::TRK520, 0, 0, 3);
        model->cpAnzeigeDp.setItemIndex(1);
        handlers->config().cpAnzeigeDpChange();
        type(model->neAnzeigeLow, "0");
        type(model->neAnzeigeHigh, "1000");
        type(model->neOut1Einschaltpunkt, "650");
        type(model->neOut1Ausschaltpunkt, "600");
        type(model->neOut2Einschaltpunkt, "350");
        type(model->neOut2Ausschaltpunkt, "320");
        handlers->MainMenueExtras_MesswertAnzeigenClick();
        if (LiveValueSession* live = handlers->liveValues()) {
            qint64 ms = 0;
            ticks(*live, ms, 250);
            if (!live->failed()) problems.append(QStringLiteral("Tank Ost antwortet im Bild des Messwerts noch"));
            picture(*live, QStringLiteral("messwert_sinus_ausfall"));
        }

        open(239, ModelId::TRK520, 0, 0, 1);
        type(model->neAnzeigeLow, "200");
        type(model->neAnzeigeHigh, "800");
        type(model->neOut1Einschaltpunkt, "700");
        type(model->neOut1Ausschaltpunkt, "650");
        handlers->MainMenueExtras_MesswertAnzeigenClick();
        if (LiveValueSession* live = handlers->liveValues()) {
            live->setSpan(0);
            qint64 ms = 0;
            live->startLoopCheck(0.5);
            live->loopApplied();
            ticks(*live, ms, 8);
            for (int i = 0; live->polls < 32 && i < 100; ++i)
                ticks(*live, ms, 1);
            live->loopApplied();
            ticks(*live, ms, 8);
            if (live->state.loopCheck.step() != LoopCheck::Step::Passed)
                problems.append(QStringLiteral("Schleifentest im Bild nicht bestanden: %1")
                                    .arg(live->state.loopCheck.prompt()));
            picture(*live, QStringLiteral("messwert_schleifentest"));
        }

        // Kessel Nord: the controller brings its process from 20 to the set point 500, the
        // library's signal clock two seconds a poll.
        qputenv("TRAXBUS_SIGNALSTEP", "2");
        open(0, ModelId::TRK520PID, 2, 1, 1);
        model->rgReglerFunktion.itemIndex = 0;
        handlers->config().rgReglerFunktionClick();
        type(model->nePID_SP1, "500");
        handlers->MainMenueExtras_MesswertAnzeigenClick();
        if (LiveValueSession* live = handlers->liveValues()) {
            live->setSpan(2);
            qint64 ms = 0;
            ticks(*live, ms, 450, 2000);
            if (live->failed()) problems.append(QStringLiteral("Kessel Nord antwortet im Bild des Reglers nicht"));
            picture(*live, QStringLiteral("messwert_regler"));
        }
        qunsetenv("TRAXBUS_SIGNALSTEP");
    }

    void changeSwitchPoint(const QString& d20) {
        QFile file(d20);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
        file.close();
        if (!bytes.contains("\r\n800\r\n700\r\n") || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            problems.append(QStringLiteral("Der Schaltpunkt in %1 wurde nicht geändert").arg(d20));
            return;
        }
        file.write(bytes.replace("\r\n800\r\n700\r\n", "\r\n750\r\n700\r\n"));
    }

    // The instrument at `address` of `port` becomes a new one of its family.
    void swapInstrument(int port, int address, const QString& identity) {
        setRosterKey(port, address, QStringLiteral("identity"), identity);
    }

    void setRosterKey(int port, int address, const QString& key, const QJsonValue& value) {
        QFile file(qEnvironmentVariable("TRAXBUS_SIM"));
        if (!file.open(QIODevice::ReadOnly)) return;
        QJsonObject roster = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        QJsonArray ports = roster.value(QStringLiteral("ports")).toArray();
        for (int p = 0; p < ports.size(); ++p) {
            QJsonObject line = ports[p].toObject();
            if (line.value(QStringLiteral("port")).toInt() != port) continue;
            QJsonArray instruments = line.value(QStringLiteral("instruments")).toArray();
            for (int i = 0; i < instruments.size(); ++i) {
                QJsonObject instrument = instruments[i].toObject();
                if (instrument.value(QStringLiteral("address")).toInt() != address) continue;
                instrument.insert(key, value);
                instruments[i] = instrument;
            }
            line.insert(QStringLiteral("instruments"), instruments);
            ports[p] = line;
        }
        roster.insert(QStringLiteral("ports"), ports);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(QJsonDocument(roster).toJson());
    }

    QString iniPath() const { return QDir(scratch).filePath(QStringLiteral("settings.ini")); }

    void prepareShots() {
        shoot<ExtendedWordsWindow, ExtendedWordsDialog>("Ttf_Spezialkonfiguration",
                                                        QStringLiteral("erweitert"));
        shoot<ComPortWindow, ComPortDialog>("Tf_ComPort", QStringLiteral("portauswahl"));
        shoot<CommentWindow, CommentDialog>("Tf_DateiKommentar", QStringLiteral("kommentar"), [](CommentWindow& w) {
            w.Edit1Change(QStringLiteral("Abnahme Kessel 1, Regler im Schaltschrank 2"));
            w.Button1Click();
        });
        shoot<AddressWindow, AddressDialog>("Tf_AdresseSetzen", QStringLiteral("adresse_setzen"),
                                            [](AddressWindow& w) { w.b_InformationenClick(); });
        shoot<DeviceNameWindow, DeviceNameDialog>("Tf_GeraeteNamenAendern", QStringLiteral("name_aendern"),
                                                  [](DeviceNameWindow& w) { w.b_InformationenClick(); });
        shoot<SelectAddressWindow, SelectAddressDialog>(
            "TSelectDeviceAddress", QStringLiteral("adresse_waehlen"), [](SelectAddressWindow& w) {
                w.te_SelectedDeviceAddressEdited(QStringLiteral("1"));
                w.btn_CheckClick();
            });
        shoot<CompareWindow, CompareDialog>("TVergleich", QStringLiteral("vergleichen"),
                                            [](CompareWindow& w) { w.b_GeraetClick(); });
        shoot<FlowCalculatorWindow, FlowCalculatorDialog>("TForm1", QStringLiteral("durchfluss"),
                                                          [](FlowCalculatorWindow& w) {
                                                              w.eMax.text = QStringLiteral("100");
                                                              w.eMaxChange(w.eMax.text);
                                                              w.eImpulszahl.text = QStringLiteral("10");
                                                              w.eImpulszahlChange(w.eImpulszahl.text);
                                                              w.cbAusgangssignal.setItemIndex(1); // NPN
                                                              w.cbAusgangssignalChange(1);
                                                              w.bEinstellwerte_zeigenClick();
                                                          });
    }

    QString folder;
    QString libraryFolder;
    QString scratch;
    QStringList& problems;
    ShotPrompter prompter;
    ManualClock clock;
    InstrumentRecord* record = nullptr; // where the window records, while a picture needs it
    QDateTime when;                     // the time the window's events happen at
    std::unique_ptr<CallLog> log;
    std::unique_ptr<MainWindowModel> model;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<MainHandlers> handlers;
    std::unique_ptr<MainWindow> main;
};

} // namespace

QStringList takeAll(const QString& folder, const QString& libraryFolder, const QString& scratch,
                    QStringList& problems) {
    Session session(folder, libraryFolder, scratch, problems);
    session.run();
    return session.taken;
}

} // namespace screenshots
