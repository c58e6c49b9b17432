#include "app/ConfigSheet.h"

#include "app/CompareWindow.h"
#include "app/FieldList.h"
#include "files/FileWindow.h"

#include <gtest/gtest.h>

namespace {

QString headValue(const ConfigSheet& sheet, const char* label) {
    for (const ConfigSheet::Row& r : sheet.head)
        if (r.label == QString::fromUtf8(label)) return r.value;
    return QStringLiteral("<fehlt>");
}

} // namespace

// A configuration loaded from a file: the sheet names the file, its date and comment and
// lists every field the window shows as the window shows it (the TRK's filter typed as text
// too); it is written through the program's writer, and a failed write says why in German
// and keeps the sheet written before. "&Neu" forgets where the configuration came from.
TEST(ConfigSheet, LoadedFileSheetListsEveryShownFieldAndAFailedWriteKeepsTheOldSheet) {
    FileWindow w;
    w.a().selectModel(ModelId::TRK520);
    w.input(0, 1);
    w.type(w.m().neAnzeigeHigh, "150,5");
    w.m().teFilter.text = QStringLiteral("2");
    w.a().teFilterExit();
    w.output(1);
    w.type(w.m().neOut1Einschaltpunkt, "80");
    const QString d20 = w.file("kessel.d20");
    w.save(d20, QStringLiteral("Abnahme Kessel 2"));
    w.a().Datenlesen1Click();
    w.load(d20);
    ASSERT_EQ(w.m().source.kind, MainWindowModel::ConfigSource::Kind::File);

    const QString pdf = w.file("kessel.pdf");
    w.prompter.saveAnswers = {pdf};
    w.handlers->miKonfigurationsblattPdfClick();
    ASSERT_EQ(w.sheets.sheets.size(), 1);
    const ConfigSheet sheet = w.sheets.sheets.last();
    EXPECT_EQ(w.m().StatusBar1.panels[2], QStringLiteral("Konfigurationsblatt: kessel.pdf gespeichert"));
    EXPECT_EQ(FileWindow::bytes(pdf), sheet.values().join(QLatin1Char('\n')).toUtf8());

    EXPECT_EQ(sheet.model, QStringLiteral("TRK 520"));
    EXPECT_EQ(headValue(sheet, "Datum"), QStringLiteral("14.03.2026 09:30"));
    EXPECT_EQ(headValue(sheet, "Datei"), d20);
    EXPECT_EQ(headValue(sheet, "Kommentar"), QStringLiteral("Abnahme Kessel 2"));
    EXPECT_FALSE(headValue(sheet, "Datei vom").isEmpty());
    QStringList rows;
    for (const ConfigSheet::Section& s : sheet.sections)
        for (const ConfigSheet::Row& r : s.rows)
            rows << s.title + QLatin1Char('|') + r.label + QLatin1Char('|') + r.value;
    QStringList shown;
    for (const ShownField& f : shownFields(w.m()))
        shown << f.group + QLatin1Char('|') + f.label + QLatin1Char('|') + f.value;
    EXPECT_EQ(rows, shown);
    ASSERT_TRUE(w.m().teFilter.visible);
    EXPECT_TRUE(rows.contains(QStringLiteral("Einstellwerte|Filter|2,00")))
        << rows.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("Schaltausgang 1|Einschaltpunkt|80")));

    // Nothing painted, or a folder that is not there: the old sheet stays, the user is told.
    const QByteArray before = FileWindow::bytes(pdf);
    w.sheets.paints = false;
    w.prompter.saveAnswers = {pdf};
    w.handlers->miKonfigurationsblattPdfClick();
    EXPECT_EQ(FileWindow::bytes(pdf), before);
    EXPECT_EQ(w.m().StatusBar1.panels[2],
              QStringLiteral("Konfigurationsblatt: kessel.pdf nicht gespeichert"));
    w.sheets.paints = true;
    w.prompter.saveAnswers = {w.file("fehlt/kessel.pdf")};
    w.handlers->miKonfigurationsblattPdfClick();
    ASSERT_GE(w.prompter.shown.size(), 2);
    for (const auto& box : w.prompter.shown.mid(w.prompter.shown.size() - 2)) {
        EXPECT_EQ(box.message.caption, QStringLiteral("Fehler"));
        EXPECT_TRUE(box.message.text.startsWith(QStringLiteral("Das Konfigurationsblatt ")))
            << box.message.text.toStdString();
        EXPECT_GT(box.message.text.split(QLatin1Char('\n')).value(1).size(), 5) << "no reason given";
    }

    w.a().Datenlesen1Click();
    const ConfigSheet fresh = configSheet(w.m(), QDateTime(), QLatin1Char(','));
    EXPECT_EQ(headValue(fresh, "Herkunft"),
              QStringLiteral("im Programm eingestellt (weder eingelesen noch geladen)"));
}

// Every section of the sheet holds its own rows, none dropped and none in another group;
// comparing with a file that hides a group lists that group's fields against nothing. After a
// good file and then a damaged one the sheet no longer names the first.
TEST(ConfigSheet, SectionsHoldTheirOwnRowsAndADamagedFileIsNotNamed) {
    FileWindow w;
    w.a().selectModel(ModelId::TRK520);
    w.input(0, 1);
    const QString plain = w.file("ohne-ausgang.d20");
    w.save(plain, QStringLiteral("ohne"));
    w.output(1);
    w.type(w.m().neOut1Einschaltpunkt, "80");
    const QString good = w.file("gut.d20");
    w.save(good, QStringLiteral("gut"));

    const ConfigSheet sheet = configSheet(w.m(), QDateTime(), QLatin1Char(','));
    QStringList sections;
    for (const ConfigSheet::Section& s : sheet.sections) {
        QStringList labels;
        for (const ConfigSheet::Row& r : s.rows)
            labels << r.label;
        sections << s.title + QStringLiteral(": ") + labels.join(QStringLiteral(", "));
    }
    EXPECT_EQ(sections, QStringList({QStringLiteral("Input: Input"), QStringLiteral("Sens: Sens"),
                                     QStringLiteral("Einstellwerte: Dezimalpunkt, Anzeige bei 0V, Anzeige bei 2V, "
                                                    "Limit, Filter"),
                                     QStringLiteral("Ausgangsfunktion: Ausgangsfunktion"),
                                     QStringLiteral("Schaltausgang 1: Einschaltpunkt, Ausschaltpunkt, "
                                                    "Verzögerung [sec], Vorzugslage")})) << sections.join(QLatin1Char('\n')).toStdString();

    CompareWindow compare(w.m(), w.handlers->environment());
    w.prompter.openAnswers = {plain};
    compare.b_DateiClick();
    QStringList hidden;
    for (const FieldDifference& d : compare.rows)
        if (d.b.isEmpty()) hidden << d.group + QLatin1Char('|') + d.label + QLatin1Char('|') + d.a;
    EXPECT_TRUE(hidden.contains(QStringLiteral("Schaltausgang 1|Einschaltpunkt|80")))
        << hidden.join(QLatin1Char('\n')).toStdString();

    // Broken in a field's word, or already in the model's word before any field.
    for (const int broken : {16, 5}) {
        w.load(good);
        ASSERT_EQ(headValue(configSheet(w.m(), QDateTime(), QLatin1Char(',')), "Datei"), good);
        QStringList damaged = FileWindow::lines(good);
        damaged[broken] = QStringLiteral("x1");
        FileWindow::write(w.file("kaputt.d20"), damaged);
        w.load(w.file("kaputt.d20"));
        const ConfigSheet after = configSheet(w.m(), QDateTime(), QLatin1Char(','));
        for (const ConfigSheet::Row& r : after.head)
            EXPECT_FALSE(r.value.contains(QStringLiteral("gut.d20")))
                << broken << ": " << r.label.toStdString();
    }
}

// The extended words are placed in their frame by hand, outside the rows: they are fields of the
// configuration all the same, on the sheet and in every comparison.
TEST(ConfigSheet, ListsTheExtendedWordsThatHaveNoRow) {
    FileWindow w(Session{QChar(u','), false, true});
    w.a().selectModel(ModelId::TRK520);
    w.useExtendedWords();
    ASSERT_TRUE(w.m().gb_ErweiterteKonfiguration.visible);
    QStringList extended;
    for (const ConfigSheet::Section& s : configSheet(w.m(), QDateTime(), QLatin1Char(',')).sections)
        if (s.title == QStringLiteral("Erweiterte Konfiguration"))
            for (const ConfigSheet::Row& r : s.rows)
                extended << r.label;
    EXPECT_EQ(extended, (QStringList{"Allgemein", "Alarm", "Schaltfunktion 1", "Schaltfunktion 2"}));
}
