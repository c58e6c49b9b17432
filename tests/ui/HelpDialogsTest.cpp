#include "app/ExtendedWordsWindow.h"
#include "config/ConfigFixture.h"
#include "tools/FlowCalculatorWindow.h"
#include "ui/ExtendedWordsDialog.h"
#include "ui/FlowCalculatorDialog.h"
#include "ui/ScreenCheck.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(HelpDialogs, DetailDialogShowsTheBitsAndForwardsClicks) {
    ExtendedWordsWindow w;
    w.panels[ExtendedWordsWindow::Alarm].word = 0x82;
    w.FormActivate();
    ExtendedWordsDialog dialog(w);
    dialog.show();
    expectTextsWhole(dialog, QStringLiteral("Ttf_Spezialkonfiguration"));
    saveScreen(dialog, QStringLiteral("Ttf_Spezialkonfiguration"));

    QCheckBox* hidden = dialog.findChild<QCheckBox*>(QStringLiteral("cb_Alarm_Bit7"));
    ASSERT_NE(hidden, nullptr);
    EXPECT_TRUE(hidden->isHidden());
    EXPECT_TRUE(hidden->isChecked());
    QCheckBox* tara = dialog.findChild<QCheckBox*>(QStringLiteral("cb_Allgemein_Bit_1"));
    ASSERT_NE(tara, nullptr);
    EXPECT_EQ(tara->text(), QStringLiteral("Tara-Funktion"));
    EXPECT_EQ(tara->toolTip(), QStringLiteral("Tara-Funktion aktiviert."));

    QTest::mouseClick(tara, Qt::LeftButton, {}, QPoint(6, tara->height() / 2));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("b_OK")), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(w.panels[ExtendedWordsWindow::General].word, 2);
    EXPECT_EQ(w.panels[ExtendedWordsWindow::Alarm].word, 0x82);
}

TEST(HelpDialogs, FlowDialogComputesFromTypedValues) {
    ConfigFixture f;
    f.actions.selectModel(ModelId::DVN500);
    FlowCalculatorWindow w(f.actions, f.prompter, QChar(u','));
    w.FormCreate();
    FlowCalculatorDialog dialog(w);
    dialog.show();

    auto type = [&](const char* edit, const char* text) {
        QLineEdit* e = dialog.findChild<QLineEdit*>(QLatin1String(edit));
        ASSERT_NE(e, nullptr);
        e->selectAll();
        QTest::keyClicks(e, QLatin1String(text));
    };
    type("eMax", "100");
    type("eImpulszahl", "10");
    QPushButton* take =
        dialog.findChild<QPushButton*>(QStringLiteral("bDurchFlussMessungEinstellungUebernehmen"));
    EXPECT_FALSE(take->isEnabled());
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("bEinstellwerte_zeigen")),
                      Qt::LeftButton);

    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lDihi"))->text(), QStringLiteral("102"));
    EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("lFilt"))->isHidden());
    EXPECT_TRUE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("mKurzanleitung"))->isHidden());
    EXPECT_TRUE(take->isEnabled());
    expectTextsWhole(dialog, QStringLiteral("TForm1"));
    saveScreen(dialog, QStringLiteral("TForm1"));
    QTest::mouseClick(take, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.model.neMessbereichHigh.text, QStringLiteral("17"));
}
