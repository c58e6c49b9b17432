#include "app/CompareWindow.h"
#include "app/ConfigSheet.h"
#include "app/FieldList.h"
#include "files/CommentWindow.h"
#include "integration/LiveBus.h"
#include "ui/CompareDialog.h"
#include "ui/ScreenCheck.h"
#include "ui/QtPrompter.h"
#include "ui/SheetPainter.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>

using namespace livebus;

namespace {

QString headValue(const ConfigSheet& sheet, const char* label) {
    for (const ConfigSheet::Row& r : sheet.head)
        if (r.label == QString::fromUtf8(label)) return r.value;
    return QStringLiteral("<fehlt>");
}

// "Konfiguration &speichern" with a comment, as the user does it.
void saveAs(Window& w, const QString& path, const QString& comment) {
    w.prompter.saveAnswers = {path};
    w.prompter.onModal = [comment](ModalWindow& mw) {
        auto& c = static_cast<CommentWindow&>(mw);
        c.Edit1Change(comment);
        c.Button1Click();
    };
    w.handlers->miDatenspeichernClick();
    w.prompter.onModal = nullptr;
}

// The sheet painted as the program paints it; its text holds every value of the sheet.
void expectPdfHoldsTheSheet(Window& w, const ConfigSheet& sheet, const QString& path) {
    const QByteArray pdf = configSheetPdf(sheet, windowPicture(*w.handlers));
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(pdf);
    out.close();
    if (const QString shots = qEnvironmentVariable("TRK_SCREENSHOT_DIR"); !shots.isEmpty()) {
        QDir().mkpath(shots);
        QFile::copy(path, QDir(shots).filePath(QFileInfo(path).fileName()));
    }
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext missing: scripts/setup.sh installs poppler-utils";
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    // Long values may wrap; words are compared without the blanks between them.
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).remove(blanks);
    for (const QString& value : sheet.values())
        EXPECT_TRUE(text.contains(QString(value).remove(blanks))) << value.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Seite1")));
    EXPECT_FALSE(text.contains(QStringLiteral("Seite3"))) << "more than two pages";
}

} // namespace

// The sheet of a TRK 520 PID read from port 1 names the instrument as the readout met it;
// the sheet of a DVN 20 TB loaded from a file names the file and its comment. Both PDFs hold
// every value of their sheet, on one or two pages.
TEST_F(LiveBus, SheetOfAnInstrumentReadAndOfAFileLoaded) {
    const QDateTime printed(QDate(2026, 3, 14), QTime(9, 30));
    auto pid = window(scenarioOnPort(1));
    pid->handlers->Konfigurationlesen1Click();
    ASSERT_GE(pid->handlers->lastBusStatus(), 0) << pid->m.StatusBar1.panels[2].toStdString();
    const ConfigSheet read = configSheet(pid->m, printed, sep);
    EXPECT_EQ(read.model, QStringLiteral("TRK 520 PID"));
    EXPECT_EQ(headValue(read, "Herkunft"), QStringLiteral("vom Gerät eingelesen (COM1)"));
    EXPECT_TRUE(pid->m.StatusBar1.panels[2].contains(QStringLiteral("Seriennummer: ") +
                                                     headValue(read, "Seriennummer")));
    EXPECT_EQ(headValue(read, "Firmware"), QStringLiteral("V23,1"));
    EXPECT_EQ(headValue(read, "Busadresse"), QString::number(pid->m.busAddress));
    // The readout's exchanges stay as they are: no name query, so no name row.
    EXPECT_EQ(headValue(read, "Gerätename"), QStringLiteral("<fehlt>"));
    expectPdfHoldsTheSheet(*pid, read, dir.filePath(QStringLiteral("sheet-trk520pid-port1.pdf")));

    const Scenario& s = scenarioOnPort(5);
    auto dvn = window(s);
    s.configure(*dvn);
    const QString file = dir.filePath(QStringLiteral("halle3.d20"));
    saveAs(*dvn, file, QStringLiteral("Abnahme Halle 3"));
    auto loaded = window(s);
    loaded->prompter.openAnswers = {file};
    loaded->handlers->lesen1Click();
    const ConfigSheet fromFile = configSheet(loaded->m, printed, sep);
    EXPECT_EQ(fromFile.model, QStringLiteral("DVN 20 TB"));
    EXPECT_EQ(headValue(fromFile, "Datei"), QDir::toNativeSeparators(file));
    EXPECT_EQ(headValue(fromFile, "Kommentar"), QStringLiteral("Abnahme Halle 3"));
    expectPdfHoldsTheSheet(*loaded, fromFile, dir.filePath(QStringLiteral("sheet-dvn20tb-file.pdf")));
}

// An instrument programmed from a file, then one value changed in the window: comparing with
// the instrument and with the file lists exactly that field, and the window stays as it was.
TEST_F(LiveBus, CompareListsExactlyTheFieldChangedInTheWindow) {
    const Scenario& s = scenarioOnPort(1);
    auto made = window(s);
    s.configure(*made);
    const QString file = dir.filePath(QStringLiteral("serie.d20"));
    saveAs(*made, file, QStringLiteral("Serie"));

    auto w = window(s);
    w->prompter.openAnswers = {file};
    w->handlers->lesen1Click();
    w->handlers->miKonfigurationprogrammieren1Click();
    ASSERT_TRUE(w->m.StatusBar1.panels[2].endsWith(QStringLiteral(" Daten Senden war erfolgreich")));
    const QString before = w->m.nePID_SP1.text;
    w->type(w->m.nePID_SP1, "60,5");
    const auto shownBefore = snapshot(w->m);

    QList<FieldDifference> withInstrument, withFile;
    QString instrumentResult, fileTitle;
    w->prompter.onModal = [&](ModalWindow& mw) {
        auto& compare = static_cast<CompareWindow&>(mw);
        compare.b_GeraetClick();
        withInstrument = compare.rows;
        instrumentResult = compare.l_Ergebnis.caption;
        CompareDialog shown(compare);
        EXPECT_EQ(shown.table()->rowCount(), 1);
        EXPECT_EQ(shown.table()->horizontalHeaderItem(3)->text(), QStringLiteral("Gerät"));
        saveScreen(shown, QStringLiteral("compare-instrument"));
        w->prompter.openAnswers = {file};
        compare.b_DateiClick();
        withFile = compare.rows;
        fileTitle = compare.columnTitle(CompareWindow::Vergleich);
        compare.b_SchliessenClick();
    };
    w->handlers->MainMenueExtras_VergleichenClick();
    ASSERT_EQ(w->prompter.modalWindows.last(), QStringLiteral("TVergleich"));

    ASSERT_EQ(withInstrument.size(), 1) << instrumentResult.toStdString();
    EXPECT_EQ(withInstrument[0].label, QStringLiteral("Sollwert"));
    EXPECT_EQ(withInstrument[0].a, w->m.nePID_SP1.text);
    EXPECT_EQ(withInstrument[0].b, before);
    EXPECT_EQ(instrumentResult, QStringLiteral("1 Unterschied"));
    ASSERT_EQ(withFile.size(), 1);
    EXPECT_EQ(withFile[0].label, withInstrument[0].label);
    EXPECT_EQ(withFile[0].b, before);
    EXPECT_EQ(fileTitle, QStringLiteral("Datei"));
    EXPECT_EQ(snapshot(w->m), shownBefore);
    EXPECT_FALSE(w->handlers->busRunning());
}

namespace {

// Keeps the sheets it is given, as the program would paint them.
struct KeptSheets : SheetPrinter {
    QList<ConfigSheet> kept;
    QByteArray pdf(const ConfigSheet& sheet) override {
        kept.append(sheet);
        return QByteArrayLiteral("%PDF-");
    }
    Printed print(const ConfigSheet& sheet) override {
        kept.append(sheet);
        return Printed::Done;
    }
};

// The box the program shows for a message, grabbed while it waits for the user, then closed.
void saveMessageBox(const Prompter::Message& message, const QString& name) {
    QTimer::singleShot(0, [name] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            saveScreen(*box, name);
            box->close();
        }
    });
    QtPrompter().message(message);
}

} // namespace

// Right after programming one changed field, the sheet lists that field old → new with the
// read-back and the reason, and has lines to sign on; once the window is changed, or the
// instrument read again, the sheet is a plain one.
TEST_F(LiveBus, SheetRightAfterProgrammingIsItsAcceptanceRecord) {
    const Scenario& s = kScenarios[0];
    createRoster();
    InstrumentRecord record(dir.filePath(QStringLiteral("archiv.sqlite")), {});
    KeptSheets sheets;
    settings(s);
    Window w(iniPath(), dir.path(), sep, nullptr, {}, &sheets, &record);
    w.model(s.model);
    w.handlers->Konfigurationlesen1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0) << w.m.StatusBar1.panels[2].toStdString();
    const QList<ShownField> read = shownFields(w.m);
    w.type(w.m.neAnzeigeHigh, "123");
    const QList<FieldDifference> edit = differences(read, shownFields(w.m));
    ASSERT_FALSE(edit.isEmpty());
    w.prompter.textAnswers = {QStringLiteral("Abnahme Kessel 2")};
    w.handlers->miKonfigurationprogrammieren1Click();
    ASSERT_GE(w.handlers->lastBusStatus(), 0) << w.m.StatusBar1.panels[2].toStdString();
    ASSERT_FALSE(w.prompter.shown.isEmpty());
    saveMessageBox(w.prompter.shown.first().message, QStringLiteral("programming-question"));

    const auto makeSheet = [this, &w] {
        w.prompter.saveAnswers = {dir.filePath(QStringLiteral("blatt.pdf"))};
        w.handlers->miKonfigurationsblattPdfClick();
    };
    makeSheet();
    ASSERT_EQ(sheets.kept.size(), 1);
    const ConfigSheet sheet = sheets.kept.last();
    ASSERT_TRUE(sheet.acceptance);
    ASSERT_EQ(sheet.acceptance->changes.size(), edit.size());
    for (int i = 0; i < edit.size(); ++i) {
        EXPECT_EQ(sheet.acceptance->changes[i].label, edit[i].group + QStringLiteral(": ") + edit[i].label);
        EXPECT_EQ(sheet.acceptance->changes[i].value, edit[i].a + QStringLiteral(" → ") + edit[i].b);
    }
    QStringList rows;
    for (const ConfigSheet::Row& r : sheet.acceptance->rows)
        rows << r.label + QLatin1Char('|') + r.value;
    EXPECT_TRUE(rows.contains(QStringLiteral("Prüfung|geprüft, keine Abweichungen"))) << rows.join(u'\n').toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("Grund der Änderung|Abnahme Kessel 2"))) << rows.join(u'\n').toStdString();
    EXPECT_TRUE(rows.filter(QRegularExpression(QStringLiteral("^Programmiert am\\|\\d\\d\\.\\d\\d\\.20\\d\\d "))).size() == 1)
        << rows.join(u'\n').toStdString();
    EXPECT_EQ(sheet.acceptance->signatures,
              (QStringList{QStringLiteral("Datum"), QStringLiteral("Name"), QStringLiteral("Unterschrift")}));
    expectPdfHoldsTheSheet(w, sheet, dir.filePath(QStringLiteral("sheet-after-programming.pdf")));

    w.type(w.m.neAnzeigeHigh, "124");
    makeSheet();
    EXPECT_FALSE(sheets.kept.last().acceptance);
    w.type(w.m.neAnzeigeHigh, "123");
    w.handlers->Konfigurationlesen1Click();
    makeSheet();
    EXPECT_FALSE(sheets.kept.last().acceptance);
}
