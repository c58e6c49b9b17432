#include "FileWindow.h"

#include "files/CommentFile.h"
#include "files/D20Reader.h"
#include "files/TaggedValue.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QString kFaulty = QStringLiteral("fehlerhafte Datei");

// A TRK 520 in interface mode with output 1 on: complete with few clicks.
void trkInterfaceMode(FileWindow& w, ModelId model = ModelId::TRK520) {
    w.a().selectModel(model);
    w.input(8, -1);
    w.output(1);
    w.type(w.m().neOut1Einschaltpunkt, "250");
}

QString today() {
    const QDate d = QDate::currentDate();
    return QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day());
}

} // namespace

TEST(D20File, FormatWordCarriesFamilyAndSeparatorAndOnlyTrkFilesAModelCode) {
    for (QChar sep : {QChar(u','), QChar(u'.')}) {
        FileWindow w(Session{sep});
        const int point = sep == u'.' ? 1 : 0;
        w.a().selectModel(ModelId::DVN20TB);
        w.input(8, -1);
        w.save(w.file("dvn.d20"));
        QStringList l = FileWindow::lines(w.file("dvn.d20"));
        EXPECT_EQ(l.value(4), QString::number(0x7900000 + point));
        EXPECT_EQ(l.value(5), QStringLiteral("8")); // the input kind follows at once

        trkInterfaceMode(w, ModelId::TRK520PIDXAOV);
        w.save(w.file("trk.d20"));
        l = FileWindow::lines(w.file("trk.d20"));
        EXPECT_EQ(l.value(4), QString::number(0x7800000 + point));
        EXPECT_EQ(l.value(5), QStringLiteral("10"));

        // Line ends of other platforms are read as well.
        QFile lf(w.file("dvn.d20"));
        ASSERT_TRUE(lf.open(QIODevice::ReadWrite));
        const QByteArray unix = lf.readAll().replace("\r\n", "\n");
        lf.resize(0);
        lf.write(unix);
        lf.close();
        w.load(w.file("dvn.d20"));
        EXPECT_TRUE(w.m().isChecked(ModelId::DVN20TB));
        EXPECT_EQ(w.m().rgInput.itemIndex, 8);
        EXPECT_EQ(w.m().StatusBar1.panels[2], QStringLiteral("Datei: dvn.d20 geladen"));
    }
}

TEST(D20File, ModelCodeThreeLoadsWithoutModelAndIsSavedBackAsThree) {
    FileWindow w;
    trkInterfaceMode(w);
    w.save(w.file("trk.d20"));
    QStringList l = FileWindow::lines(w.file("trk.d20"));
    ASSERT_EQ(l.value(5), QStringLiteral("4"));

    l[5] = QStringLiteral("3");
    FileWindow::write(w.file("none.d20"), l);
    w.load(w.file("none.d20"));
    EXPECT_EQ(w.m().checkedModel(), nullptr);
    EXPECT_FALSE(w.m().rgInput.visible);
    EXPECT_EQ(w.m().StatusBar1.panels[2], QStringLiteral("Datei: none.d20 geladen"));
    // Saved again, the file still says "no model" instead of losing its model code line.
    w.save(w.file("again.d20"));
    EXPECT_EQ(FileWindow::lines(w.file("again.d20")).mid(4), l.mid(4));

    l[5] = QStringLiteral("42");
    FileWindow::write(w.file("other.d20"), l);
    w.load(w.file("other.d20"));
    EXPECT_TRUE(w.m().isChecked(ModelId::DVN20TB));
}

TEST(D20File, WithoutTheUnitExtraThePlaceholderClearsTheUnitOnLoading) {
    FileWindow w(Session{QChar(u','), true});
    w.a().selectModel(ModelId::TRK520);
    w.input(0, 0);
    w.pick(w.m().cb_AnzeigeEinheit, 2);
    w.a().MainMenueExtrasAnzeigeeinheitClick(); // off: the selection stays
    w.save(w.file("unit.d20"));
    EXPECT_EQ(FileWindow::lines(w.file("unit.d20")).mid(44), (QStringList{"0", "-1", "2"}));

    FileWindow other(Session{QChar(u','), true});
    other.load(w.file("unit.d20"));
    EXPECT_FALSE(other.m().MainMenueExtrasAnzeigeeinheit.checked);
    EXPECT_EQ(other.m().cb_AnzeigeEinheit.itemIndex, -1);
    EXPECT_FALSE(other.m().cb_AnzeigeEinheit.visible);

    // A unit in place of the placeholder selects nothing either: the next save would drop it.
    QStringList lines = FileWindow::lines(w.file("unit.d20"));
    lines[45] = QStringLiteral("2");
    FileWindow::write(w.file("unit.d20"), lines);
    other.load(w.file("unit.d20"));
    EXPECT_EQ(other.m().cb_AnzeigeEinheit.itemIndex, -1);
}

TEST(D20File, FileOfTheOtherSeparatorIsRejectedButBringsItsExtendedWords) {
    FileWindow comma(Session{QChar(u','), false, true});
    trkInterfaceMode(comma);
    comma.useExtendedWords();
    comma.m().e_erw_Alarm.text = QStringLiteral("9");
    comma.save(comma.file("comma.d20"));

    FileWindow point(Session{QChar(u'.')}); // extended words locked
    point.a().selectModel(ModelId::DVN500);
    point.load(comma.file("comma.d20"));
    EXPECT_EQ(point.m().StatusBar1.panels[2], kFaulty);
    // The refusal says why, and the outcome says the same to a caller.
    EXPECT_TRUE(point.prompter.texts().contains(D20Reader::separatorMismatchText(u',', u'.')))
        << point.prompter.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(D20Reader::separatorMismatchText(u',', u'.').contains(QStringLiteral("Komma (,) gespeichert")));
    EXPECT_EQ(point.handlers->lastFileOutcome().result, MainHandlers::FileOutcome::Result::Failed);
    EXPECT_EQ(point.handlers->lastFileOutcome().reason, D20Reader::separatorMismatchText(u',', u'.'));
    EXPECT_TRUE(point.m().isChecked(ModelId::DVN500));
    EXPECT_EQ(point.m().rgInput.itemIndex, -1);
    // Shown read-only, as words loaded into a locked window are.
    EXPECT_EQ(point.m().e_erw_Alarm.text, QStringLiteral("9"));
    EXPECT_TRUE(point.m().MainMenueExtras_ErweiterteKonfiguration.checked);
    EXPECT_TRUE(point.m().gb_ErweiterteKonfiguration.visible);
    EXPECT_FALSE(point.m().e_erw_Alarm.enabled);
}

TEST(D20File, OldFileLoadsAfterTheWarningAndIsOfferedForSavingAtOnce) {
    FileWindow w;
    trkInterfaceMode(w);
    w.save(w.file("new.d20"));
    const QStringList old = FileWindow::lines(w.file("new.d20")).mid(4);
    FileWindow::write(w.file("old.d20"), old);

    FileWindow no;
    no.load(w.file("old.d20"), {Prompter::Button::No});
    EXPECT_EQ(no.prompter.captions(), QStringList{QStringLiteral("Ohne Überpfügung öffnen?")});
    EXPECT_EQ(no.m().StatusBar1.panels[2], kFaulty);
    EXPECT_EQ(no.m().rgInput.itemIndex, -1);

    // Declining the save dialog keeps the old file as it was.
    FileWindow yes;
    yes.load(w.file("old.d20"));
    EXPECT_EQ(yes.m().rgInput.itemIndex, 8);
    EXPECT_EQ(yes.prompter.modalWindows, QStringList());
    EXPECT_EQ(FileWindow::lines(w.file("old.d20")), old);

    yes.prompter.saveAnswers = {w.file("old.d20")};
    yes.prompter.script = {Prompter::Button::Yes};
    yes.prompter.openAnswers = {w.file("old.d20")};
    yes.handlers->lesen1Click();
    EXPECT_EQ(yes.prompter.modalWindows, QStringList{QStringLiteral("Tf_DateiKommentar")});
    EXPECT_EQ(FileWindow::lines(w.file("old.d20")).mid(4), old);
    EXPECT_EQ(FileWindow::lines(w.file("old.d20")).value(3), QStringLiteral("<BEGIN>1.7.0</BEGIN>"));
}

TEST(D20File, HeaderIsShownBeforeLoadingAndDecliningKeepsTheWindow) {
    const QByteArray user = qgetenv("USER");
    FileWindow w;
    trkInterfaceMode(w);
    qputenv("USER", "meier");
    w.save(w.file("a.d20"), QStringLiteral("Kessel  3"));
    w.save(w.file("b.d20"), QStringLiteral("a<b"));
    qputenv("USER", user);
    // A file from a machine that could not name its user.
    {
        QFile f(w.file("b.d20"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        f.close();
        bytes.replace("<BenutzerName>meier</BenutzerName>", "<BenutzerName>unknown</BenutzerName>");
        // A comment of any length: the question shows its beginning only.
        bytes.replace("<Kommentar> a\x8b" "b</Kommentar>",
                      "<Kommentar>" + QByteArray(2 * 1024 * 1024, 'x') + "</Kommentar>");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    FileWindow other;
    other.load(w.file("a.d20"), {Prompter::Button::No});
    ASSERT_EQ(other.prompter.shown.size(), 1);
    EXPECT_EQ(other.prompter.shown[0].message.text,
              QStringLiteral("Datei-Informationen:\nDatum: %1\nBenutzerName: meier\nKommentar:  Kessel 3\n"
                             "Datei Version: 1.7.0\n")
                  .arg(today()));
    EXPECT_EQ(other.m().StatusBar1.panels[2], QStringLiteral("Datei nicht geladen - Abbruch durch Benutzer"));
    EXPECT_EQ(other.m().rgInput.itemIndex, -1);

    // "unknown" leaves its line out.
    other.load(w.file("b.d20"));
    EXPECT_EQ(other.prompter.shown[1].message.text,
              QStringLiteral("Datei-Informationen:\nDatum: %1\nKommentar: %2…\nDatei Version: 1.7.0\n")
                  .arg(today(), QString(119, QLatin1Char('x'))));
    EXPECT_EQ(other.m().rgInput.itemIndex, 8);
}

// Whatever the comment holds, a file the program saved loads back with the same values.
TEST(CommentWindow, TagsTypedIntoTheCommentCannotSpoilTheFile) {
    const QByteArray user = qgetenv("USER");
    qputenv("USER", "Max<Admin>"); // a user name can hold them too
    FileWindow w(Session{QChar(u','), false, true});
    trkInterfaceMode(w);
    w.useExtendedWords();
    w.m().e_erw_Allgemein.text = QStringLiteral("3");
    w.save(w.file("tags.d20"), QStringLiteral("</BEGIN> <ALLGEMEIN>255</ALLGEMEIN> a<b"));
    EXPECT_EQ(w.prompter.texts().last(),
              QStringLiteral("Die Zeichen < und > im Kommentar wurden durch ‹ und › ersetzt."));

    FileWindow other(Session{QChar(u','), false, true});
    other.load(w.file("tags.d20"));
    EXPECT_EQ(other.m().StatusBar1.panels[2], QStringLiteral("Datei: tags.d20 geladen"));
    EXPECT_EQ(other.m().e_erw_Allgemein.text, QStringLiteral("3"));
    EXPECT_EQ(other.m().neOut1Einschaltpunkt.text, w.m().neOut1Einschaltpunkt.text);
    EXPECT_TRUE(other.prompter.texts().first().contains(QStringLiteral("Kommentar:  ‹/BEGIN› ‹ALLGEMEIN›255")));
    EXPECT_TRUE(other.prompter.texts().first().contains(QStringLiteral("BenutzerName: Max‹Admin›")))
        << other.prompter.texts().first().toStdString();
    qputenv("USER", user);
}

TEST(TagReader, LooksAt255WordsAndSkipsValuesWithAnAngleBracket) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.d20"));
    auto fileWith = [&](int fillers, const QString& rest) {
        QStringList l(fillers, QStringLiteral("w"));
        l << rest;
        FileWindow::write(path, l);
    };
    QString v;
    fileWith(254, QStringLiteral("<X>a\tb  c</X>"));
    EXPECT_EQ(readTaggedValue(QStringLiteral("X"), v, path), 254);
    EXPECT_EQ(v, QStringLiteral("a b c"));
    fileWith(255, QStringLiteral("<X>a</X>"));
    EXPECT_EQ(readTaggedValue(QStringLiteral("X"), v, path), -1);

    fileWith(1, QStringLiteral("<X>a<b</X> <X>c</X>end"));
    EXPECT_EQ(readTaggedValue(QStringLiteral("<X>"), v, path), 2);
    EXPECT_EQ(v, QStringLiteral("c"));
    fileWith(0, QStringLiteral("<X>no end tag"));
    EXPECT_EQ(readTaggedValue(QStringLiteral("X"), v, path), -1);
    EXPECT_EQ(readTaggedValue(QStringLiteral("X"), v, dir.filePath(QStringLiteral("missing"))), -1);
}

TEST(D20File, DamagedFileStopsWithAMessageAndKeepsWhatWasRead) {
    FileWindow w;
    trkInterfaceMode(w);
    w.save(w.file("good.d20"));
    const QStringList good = FileWindow::lines(w.file("good.d20"));

    QStringList bad = good;
    bad[13] = QStringLiteral("777"); // upper measuring range
    bad[15] = QStringLiteral("abc"); // pre-divider
    bad[16] = QStringLiteral("x1");  // unit: no number, the load stops here
    FileWindow::write(w.file("bad.d20"), bad);
    FileWindow a;
    a.load(w.file("bad.d20"));
    EXPECT_TRUE(a.prompter.texts().contains(QStringLiteral("'x1' ist kein gültiger Integerwert")));
    EXPECT_EQ(a.m().StatusBar1.panels[2], kFaulty);
    EXPECT_TRUE(a.m().isChecked(ModelId::TRK520));
    EXPECT_EQ(a.m().neMessbereichHigh.text, QStringLiteral("777"));
    EXPECT_EQ(a.m().neVorteiler.text, QStringLiteral("1")); // "abc" went through the field rule
    EXPECT_EQ(a.m().rgOutput.itemIndex, 0);                 // not reached

    FileWindow::write(w.file("short.d20"), good.mid(0, 20));
    FileWindow b;
    b.load(w.file("short.d20"));
    EXPECT_TRUE(b.prompter.texts().last().startsWith(QStringLiteral("Die Datei ist unvollständig")));
    EXPECT_EQ(b.m().StatusBar1.panels[2], kFaulty);

    FileWindow::write(w.file("junk.d20"), {QString::fromLatin1("\x01\xff<BEGIN></BEGIN> 99999999999")});
    FileWindow c;
    c.load(w.file("junk.d20"));
    EXPECT_EQ(c.m().StatusBar1.panels[2], kFaulty);
}

TEST(CommentWindow, HandsTheCommentOverPrivatelyForThisSaveOnly) {
    FileWindow w;
    trkInterfaceMode(w);
    QDir(w.dir.path()).mkdir(QStringLiteral("sub"));
    const QString folder = w.dir.filePath(QStringLiteral("sub")) + QLatin1Char('/');
    FileWindow::write(folder + QStringLiteral("COMMENT"), {QStringLiteral("meins</END>")}); // the user's own
    QStringList handOver;
    w.prompter.onModal = [&](ModalWindow& m) {
        auto& window = static_cast<CommentWindow&>(m);
        handOver.append(window.folder());
        if (w.comment.isNull()) return; // closed without "Übernehmen"
        window.Edit1Change(w.comment);
        window.Button1Click();
    };
    auto comment = [&](const char* file) { return FileWindow::lines(folder + QLatin1String(file)).value(1); };

    w.save(folder + QStringLiteral("a.d20"), QStringLiteral(""));
    EXPECT_EQ(w.stored(QStringLiteral("User"), QStringLiteral("Config1Path")), folder);
    EXPECT_EQ(comment("a.d20"), QStringLiteral("<Kommentar> </Kommentar>"));
    w.save(folder + QStringLiteral("b.d20"), QStringLiteral("Prüfung"));
    EXPECT_EQ(comment("b.d20"), QStringLiteral("<Kommentar> Prüfung</Kommentar>"));
    // Closed without "Übernehmen": no comment, neither the last one nor the user's file.
    w.save(folder + QStringLiteral("c.d20"));
    EXPECT_EQ(comment("c.d20"), QStringLiteral("<Kommentar> </Kommentar>"));

    EXPECT_EQ(FileWindow::lines(folder + QStringLiteral("COMMENT")),
              QStringList{QStringLiteral("meins</END>")});
    ASSERT_EQ(handOver.size(), 3);
    EXPECT_NE(handOver[0], handOver[1]);
    for (const QString& f : handOver) {
        EXPECT_FALSE(f.startsWith(w.dir.path())) << f.toStdString();
        EXPECT_FALSE(QFileInfo::exists(f)) << "hand-over folder left behind: " << f.toStdString();
    }
}

TEST(CommentWindow, OverlongCommentIsCutSoTheFileStaysReadable) {
    FileWindow w(Session{QChar(u','), false, true});
    trkInterfaceMode(w);
    w.useExtendedWords();
    w.m().e_erw_Schaltfunktion2.text = QStringLiteral("7");
    w.save(w.file("long.d20"), QStringList(300, QStringLiteral("Wort")).join(QLatin1Char(' ')));
    EXPECT_EQ(w.prompter.captions().last(), QStringLiteral("Hinweis"));

    FileWindow other(Session{QChar(u','), false, true});
    other.load(w.file("long.d20"));
    EXPECT_EQ(other.m().StatusBar1.panels[2], QStringLiteral("Datei: long.d20 geladen"));
    EXPECT_EQ(other.m().e_erw_Schaltfunktion2.text, QStringLiteral("7"));
}
