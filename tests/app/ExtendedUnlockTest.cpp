#include "support/AppFixture.h"

#include <gtest/gtest.h>

namespace {

constexpr QChar kCtrlE(5);
const QString kGroup = QStringLiteral("SpecialFunctions");

// A started main window with a stored port, so start-up asks nothing.
struct Unlock : ::testing::Test {
    AppFixture f;
    MainHandlers* h = nullptr;

    void start(const char* unlocked = "0", const char* lastUsed = "0") {
        f.preset(QStringLiteral("Schnittstelle"), QStringLiteral("ComPort"), QStringLiteral("1"));
        f.preset(QStringLiteral("System"), QStringLiteral("GeraeteTyp"), QStringLiteral("5")); // TRK 520
        f.preset(kGroup, QStringLiteral("Konfiguration"), QLatin1String(unlocked));
        f.preset(kGroup, QStringLiteral("LetzteKonfiguration"), QLatin1String(lastUsed));
        h = &f.start();
        h->FormActivate();
        f.prompter.shown.clear();
    }
    bool press(Prompter::Button answer) {
        f.prompter.script = {answer};
        return h->cbLimitKeyPress(kCtrlE);
    }
    QString stored(const char* name) { return f.stored(kGroup, QLatin1String(name)); }
    const MenuItem& item() { return f.model.MainMenueExtras_ErweiterteKonfiguration; }
};

} // namespace

TEST_F(Unlock, OtherKeysPassUntouched) {
    start();
    for (QChar k : {QChar(u'e'), QChar(u'E'), QChar(4), QChar(6), QChar(13)})
        EXPECT_FALSE(h->cbLimitKeyPress(k));
    EXPECT_TRUE(f.prompter.shown.isEmpty());
}

TEST_F(Unlock, CtrlEAsksWithAbbrechenAsDefault) {
    start();
    f.prompter.script.clear();
    EXPECT_TRUE(h->cbLimitKeyPress(kCtrlE));
    ASSERT_EQ(f.prompter.shown.size(), 1);
    const Prompter::Message& m = f.prompter.shown[0].message;
    EXPECT_EQ(m.text,
              QStringLiteral("Internes Zusatzprogramm zum setzen der Erweiterten Konfiguration immer "
                             "aktivieren?\nNur für erfahrene Benutzer empfehlenswert.\n'Abbrechen' "
                             "deaktiviert das Zusatzprogramm.\n'Ja' schaltet es für immer frei, 'Nein' "
                             "schaltet es bis zum Beenden frei."));
    EXPECT_EQ(m.caption, QStringLiteral("Erweiterte Konfiguration freischalten?"));
    EXPECT_EQ(m.icon, Prompter::Icon::Error);
    EXPECT_EQ(m.buttons, (QList<Prompter::Button>{Prompter::Button::Yes, Prompter::Button::No,
                                                  Prompter::Button::Cancel}));
    EXPECT_EQ(m.defaultButton, Prompter::Button::Cancel);
}

TEST_F(Unlock, JaUnlocksForGood) {
    start();
    EXPECT_TRUE(press(Prompter::Button::Yes));
    EXPECT_TRUE(f.model.extendedConfigUnlocked);
    EXPECT_FALSE(f.model.unlockedForSessionOnly);
    EXPECT_TRUE(item().visible);
    EXPECT_TRUE(item().checked);
    EXPECT_TRUE(f.model.gb_ErweiterteKonfiguration.visible);
    EXPECT_TRUE(f.model.e_erw_Allgemein.enabled);
    EXPECT_EQ(f.model.rgInput.geometry.top, 80);
    // Written at once, before any close.
    EXPECT_EQ(stored("Konfiguration"), QStringLiteral("1"));
    EXPECT_EQ(stored("LetzteKonfiguration"), QStringLiteral("0"));

    h->FormClose();
    EXPECT_EQ(stored("Konfiguration"), QStringLiteral("1"));
    EXPECT_EQ(stored("LetzteKonfiguration"), QStringLiteral("1"));
}

TEST_F(Unlock, NeinUnlocksUntilExitOnly) {
    start("1", "1");
    EXPECT_TRUE(press(Prompter::Button::No));
    EXPECT_TRUE(f.model.extendedConfigUnlocked);
    EXPECT_TRUE(f.model.unlockedForSessionOnly);
    EXPECT_TRUE(item().visible);
    EXPECT_TRUE(item().checked);
    EXPECT_TRUE(f.model.gb_ErweiterteKonfiguration.visible);
    EXPECT_EQ(stored("Konfiguration"), QStringLiteral("0"));
    EXPECT_EQ(stored("LetzteKonfiguration"), QStringLiteral("0"));

    // The close leaves the locked values in place, so the next start is locked.
    h->FormClose();
    EXPECT_EQ(stored("Konfiguration"), QStringLiteral("0"));
    EXPECT_EQ(stored("LetzteKonfiguration"), QStringLiteral("0"));
}

// Abbrechen, and closing the box without a button, lock the feature.
class Lock : public Unlock, public ::testing::WithParamInterface<Prompter::Button> {};

TEST_P(Lock, LocksAndStoresItAtOnce) {
    start("1", "1");
    EXPECT_TRUE(f.model.gb_ErweiterteKonfiguration.visible);

    EXPECT_TRUE(press(GetParam()));
    EXPECT_FALSE(f.model.extendedConfigUnlocked);
    EXPECT_FALSE(f.model.unlockedForSessionOnly);
    EXPECT_FALSE(item().visible);
    EXPECT_FALSE(item().checked);
    EXPECT_FALSE(f.model.gb_ErweiterteKonfiguration.visible);
    EXPECT_FALSE(f.model.e_erw_Allgemein.enabled);
    EXPECT_EQ(f.model.rgInput.geometry.top, 39);
    EXPECT_EQ(stored("Konfiguration"), QStringLiteral("0"));
    EXPECT_EQ(stored("LetzteKonfiguration"), QStringLiteral("0"));

    h->FormClose();
    EXPECT_EQ(stored("Konfiguration"), QStringLiteral("0"));
    EXPECT_EQ(stored("LetzteKonfiguration"), QStringLiteral("0"));
}

INSTANTIATE_TEST_SUITE_P(Answers, Lock, ::testing::Values(Prompter::Button::Cancel, Prompter::Button::None),
                         [](const auto& info) {
                             return info.param == Prompter::Button::Cancel ? "Abbrechen" : "BoxClosed";
                         });

TEST_F(Unlock, ChoicesCanBeChangedWithinOneSession) {
    start();
    press(Prompter::Button::No);
    press(Prompter::Button::Yes);
    EXPECT_FALSE(f.model.unlockedForSessionOnly);
    EXPECT_EQ(stored("Konfiguration"), QStringLiteral("1"));

    // Using the feature and switching it off again is what the close stores.
    f.handlers->config().MainMenueExtras_ErweiterteKonfigurationClick();
    EXPECT_FALSE(item().checked);
    h->FormClose();
    EXPECT_EQ(stored("Konfiguration"), QStringLiteral("1"));
    EXPECT_EQ(stored("LetzteKonfiguration"), QStringLiteral("0"));
}
