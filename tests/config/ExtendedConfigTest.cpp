#include "ConfigFixture.h"
#include "UserSteps.h"

#include "config/ExtendedWords.h"

namespace {

// Types the characters one by one into a word field as the key filter lets them through.
QString type(ConfigFixture& f, TextField& field, bool (ConfigActions::*keyPress)(QChar),
             const QString& keys) {
    for (QChar k : keys) {
        if ((f.actions.*keyPress)(k)) field.text += k;
    }
    return field.text;
}

struct PanelState {
    bool itemVisible, itemChecked, groupVisible, fieldsEnabled;
};

PanelState panel(const MainWindowModel& m) {
    return {m.MainMenueExtras_ErweiterteKonfiguration.visible,
            m.MainMenueExtras_ErweiterteKonfiguration.checked, m.gb_ErweiterteKonfiguration.visible,
            m.e_erw_Allgemein.enabled};
}

void expectPanel(const MainWindowModel& m, PanelState want) {
    const PanelState got = panel(m);
    EXPECT_EQ(got.itemVisible, want.itemVisible);
    EXPECT_EQ(got.itemChecked, want.itemChecked);
    EXPECT_EQ(got.groupVisible, want.groupVisible);
    EXPECT_EQ(got.fieldsEnabled, want.fieldsEnabled);
    for (const TextField* e : {&m.e_erw_Alarm, &m.e_erw_Schaltfunktion1, &m.e_erw_Schaltfunktion2})
        EXPECT_EQ(e->enabled, want.fieldsEnabled);
}

const QString kWordsDoNotFit =
    QStringLiteral("Erweiterte Geräte-Einstellungen stimmen nicht mit dem Gewähltem Gerät überein!");

} // namespace

TEST(ExtendedWordKeys, TwoDigitsFreelyThenOnlyZeroToFiveThenNone) {
    ConfigFixture f;
    TextField& e = f.model.e_erw_Alarm;
    e.text.clear();
    EXPECT_EQ(type(f, e, &ConfigActions::e_erw_AlarmKeyPress, QStringLiteral("999")), QStringLiteral("99"));
    e.text.clear();
    // The filter looks at the length only, so 995 can arise; leaving the field fixes it.
    EXPECT_EQ(type(f, e, &ConfigActions::e_erw_AlarmKeyPress, QStringLiteral("995")), QStringLiteral("995"));
    EXPECT_EQ(type(f, e, &ConfigActions::e_erw_AlarmKeyPress, QStringLiteral("1")), QStringLiteral("995"));
    f.actions.e_erw_AlarmExit();
    EXPECT_EQ(e.text, QStringLiteral("255"));

    using extendedwords::keyAccepted;
    for (int length : {0, 1, 2, 3, 7}) {
        // Line feed, backspace and carriage return always pass.
        for (char16_t k : {u'\n', u'\b', u'\r'})
            EXPECT_TRUE(keyAccepted(length, QChar(k))) << length;
        for (char16_t k : {u'a', u'-', u' ', u',', char16_t(5)})
            EXPECT_FALSE(keyAccepted(length, QChar(k))) << length;
    }
    EXPECT_TRUE(keyAccepted(1, QChar(u'9')));
    EXPECT_TRUE(keyAccepted(2, QChar(u'5')));
    EXPECT_FALSE(keyAccepted(2, QChar(u'6')));
    EXPECT_FALSE(keyAccepted(3, QChar(u'0')));

    // Each field filters on its own text.
    f.model.e_erw_Allgemein.text = QStringLiteral("25");
    f.model.e_erw_Schaltfunktion1.text = QStringLiteral("2");
    f.model.e_erw_Schaltfunktion2.text = QString();
    EXPECT_FALSE(f.actions.e_erw_AllgemeinKeyPress(QChar(u'6')));
    EXPECT_TRUE(f.actions.e_erw_Schaltfunktion1KeyPress(QChar(u'6')));
    EXPECT_TRUE(f.actions.e_erw_Schaltfunktion2KeyPress(QChar(u'6')));
}

TEST(ExtendedWordExit, NormalisesToAWord) {
    ConfigFixture f;
    TextField& e = f.model.e_erw_Schaltfunktion2;
    struct Case {
        const char* typed;
        const char* left;
    } cases[] = {{"", "0"},
                 {"0", "0"},
                 {"007", "007"},
                 {"255", "255"},
                 {"256", "255"},
                 {"300", "255"},
                 {"99999999999999999999", "255"},
                 {" 12 ", "12"},
                 {"+12", "12"},
                 {"-5", "0"}};
    for (const Case& c : cases) {
        e.text = QString::fromUtf8(c.typed);
        f.actions.e_erw_Schaltfunktion2Exit();
        EXPECT_EQ(e.text, QString::fromUtf8(c.left)) << c.typed;
    }
    EXPECT_TRUE(f.prompter.shown.isEmpty());
}

TEST(ExtendedWordExit, PastedTextThatIsNoNumberIsReportedAndCleared) {
    ConfigFixture f;
    f.model.e_erw_Allgemein.text = QStringLiteral("1a");
    f.actions.e_erw_AllgemeinExit();
    EXPECT_EQ(f.model.e_erw_Allgemein.text, QStringLiteral("0"));
    ASSERT_EQ(f.prompter.shown.size(), 1);
    EXPECT_EQ(f.prompter.shown[0].message.caption, QStringLiteral("Fehler"));
    EXPECT_EQ(f.prompter.shown[0].message.icon, Prompter::Icon::Error);
    EXPECT_TRUE(f.prompter.shown[0].message.text.contains(QStringLiteral("\"1a\"")));
    EXPECT_TRUE(f.prompter.shown[0].message.text.contains(QStringLiteral("Allgemein")));

    for (const QString& pasted : {QStringLiteral("0x10"), QStringLiteral("1,5"), QStringLiteral("--3")}) {
        f.model.e_erw_Alarm.text = pasted;
        f.actions.e_erw_AlarmExit();
        EXPECT_EQ(f.model.e_erw_Alarm.text, QStringLiteral("0")) << pasted.toStdString();
    }
    EXPECT_EQ(f.prompter.shown.size(), 4);
}

TEST(ExtendedWordValidity, SwitchingFunctionOneMustFitTheModel) {
    struct Case {
        ModelId model;
        const char* word;
        bool fits;
    } cases[] = {
        {ModelId::TRK520PID, "16", true},         {ModelId::TRK520PID, "32", false},
        {ModelId::TRK520PID_StetigV, "48", true}, {ModelId::TRK520PIDXAO, "17", true},
        {ModelId::TRK520, "16", false},           {ModelId::DVN500, "32", false},
        {ModelId::TRK520, "207", true}, // bits 4 and 5 clear
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(catalogue::entry(c.model).designation) + " " + c.word);
        ConfigFixture f;
        f.actions.selectModel(c.model);
        steps::chooseInput(f, 0, 0);
        f.model.e_erw_Schaltfunktion1.text = QString::fromUtf8(c.word);
        f.actions.e_erw_Schaltfunktion1Exit();
        if (c.fits) {
            EXPECT_TRUE(f.prompter.shown.isEmpty());
            EXPECT_EQ(f.model.rgInput.itemIndex, 0);
            continue;
        }
        ASSERT_EQ(f.prompter.shown.size(), 1);
        EXPECT_EQ(f.prompter.shown[0].message.text, kWordsDoNotFit);
        EXPECT_EQ(f.prompter.shown[0].message.caption, QStringLiteral("Fehler Aufgetreten"));
        EXPECT_EQ(f.prompter.shown[0].message.icon, Prompter::Icon::Error);
        EXPECT_EQ(f.prompter.shown[0].message.buttons, QList<Prompter::Button>{Prompter::Button::Ok});
        // Then an empty configuration.
        EXPECT_EQ(f.model.rgInput.itemIndex, -1);
        EXPECT_FALSE(f.model.gpAnzeigeElemente.visible);
        EXPECT_FALSE(f.model.miKonfigurationprogrammieren1.enabled);
        EXPECT_FALSE(f.model.miDatenspeichern.enabled);
    }
}

TEST(ExtendedWordValidity, OnlySwitchingFunctionOneIsChecked) {
    ConfigFixture f;
    f.actions.selectModel(ModelId::TRK520);
    f.model.e_erw_Schaltfunktion2.text = QStringLiteral("48");
    f.actions.e_erw_Schaltfunktion2Exit();
    f.model.e_erw_Allgemein.text = QStringLiteral("48");
    f.actions.e_erw_AllgemeinExit();
    EXPECT_TRUE(f.prompter.shown.isEmpty());
}

TEST(ExtendedPanel, StatesOfTheFeature) {
    ConfigFixture f;
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520);

    // Locked, not in use.
    f.actions.aCheckSpecialFunctions();
    expectPanel(m, {false, false, false, false});
    EXPECT_EQ(m.rgInput.geometry.top, 39);

    // Locked, words loaded from a file: shown read-only.
    m.MainMenueExtras_ErweiterteKonfiguration.checked = true;
    f.actions.aCheckSpecialFunctions();
    expectPanel(m, {false, true, true, false});
    EXPECT_EQ(m.rgInput.geometry.top, 80);

    // Unlocked, not in use.
    m.extendedConfigUnlocked = true;
    m.MainMenueExtras_ErweiterteKonfiguration.checked = false;
    f.actions.aCheckSpecialFunctions();
    expectPanel(m, {true, false, false, true});

    // Unlocked, in use: the last state comes back at start-up.
    m.lastExtendedConfigChecked = true;
    m.gb_ErweiterteKonfiguration.enabled = false;
    f.actions.aCheckSpecialFunctions();
    expectPanel(m, {true, true, true, true});
    EXPECT_TRUE(m.gb_ErweiterteKonfiguration.enabled);

    // The DVN 20 TB never uses the words.
    f.actions.selectModel(ModelId::DVN20TB);
    expectPanel(m, {true, false, false, true});
    EXPECT_EQ(m.rgInput.geometry.top, 39);
}

TEST(ExtendedPanel, MenuClickTogglesAndSwitchingOnClearsTheWords) {
    ConfigFixture f;
    MainWindowModel& m = f.model;
    f.actions.selectModel(ModelId::TRK520PID);
    m.extendedConfigUnlocked = true;
    f.actions.aCheckSpecialFunctions();
    m.e_erw_Allgemein.text = QStringLiteral("1");
    m.e_erw_Alarm.text = QStringLiteral("2");
    m.e_erw_Schaltfunktion1.text = QStringLiteral("16");
    m.e_erw_Schaltfunktion2.text = QStringLiteral("4");

    f.actions.MainMenueExtras_ErweiterteKonfigurationClick();
    expectPanel(m, {true, true, true, true});
    EXPECT_EQ(m.rgInput.geometry.top, 80);
    for (const TextField* e :
         {&m.e_erw_Allgemein, &m.e_erw_Alarm, &m.e_erw_Schaltfunktion1, &m.e_erw_Schaltfunktion2})
        EXPECT_EQ(e->text, QStringLiteral("0"));

    // Switching off keeps the words, only hides them.
    m.e_erw_Alarm.text = QStringLiteral("9");
    f.actions.MainMenueExtras_ErweiterteKonfigurationClick();
    expectPanel(m, {true, false, false, true});
    EXPECT_EQ(m.e_erw_Alarm.text, QStringLiteral("9"));
    EXPECT_EQ(m.rgInput.geometry.top, 39);
}
