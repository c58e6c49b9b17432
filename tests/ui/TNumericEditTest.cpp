#include "ui/TNumericEdit.h"

#include "config/Prompter.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A field with fixed properties, so no test depends on the machine's locale.
class TNumericEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        edit.SetVorkomma(4);
        edit.SetNachkomma(2);
        edit.SetSeperator(QStringLiteral(","));
    }
    TNumericEdit edit;
};

} // namespace

TEST_F(TNumericEditTest, RefusedKeysNeverReachTheField) {
    edit.SetNachkomma(0);
    QTest::keyClicks(&edit, QStringLiteral("12a,3.4 x5"));
    EXPECT_EQ(edit.text(), QStringLiteral("1234"));

    edit.clear();
    edit.SetNachkomma(2);
    QTest::keyClicks(&edit, QStringLiteral("1,5,77"));
    EXPECT_EQ(edit.text(), QStringLiteral("1,57"));
    EXPECT_DOUBLE_EQ(edit.GetDouble(), 1.57);
}

TEST_F(TNumericEditTest, SignKeysSetTextAndCaret) {
    QSignalSpy edited(&edit, &QLineEdit::textEdited);
    QTest::keyClicks(&edit, QStringLiteral("12"));
    edited.clear();

    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, '-');
    EXPECT_EQ(edit.text(), QStringLiteral("-12"));
    EXPECT_EQ(edit.cursorPosition(), 2);
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(0).toString(), QStringLiteral("-12"));

    QTest::keyClick(&edit, '+');
    EXPECT_EQ(edit.text(), QStringLiteral("+12"));
    EXPECT_EQ(edit.cursorPosition(), 2);
    QTest::keyClick(&edit, '+'); // nothing to change: no edit reported
    EXPECT_EQ(edit.text(), QStringLiteral("+12"));
    EXPECT_EQ(edited.count(), 2);

    // Typing goes on at the caret after a sign change.
    QTest::keyClick(&edit, '5');
    EXPECT_EQ(edit.text(), QStringLiteral("+152"));

    edit.clear();
    QTest::keyClick(&edit, '-');
    EXPECT_EQ(edit.text(), QStringLiteral("-"));
    EXPECT_DOUBLE_EQ(edit.GetDouble(), 0.0);
}

TEST_F(TNumericEditTest, EnterIsReportedButNotTyped) {
    QSignalSpy enter(&edit, &TNumericEdit::enterPressed);
    QSignalSpy keyDown(&edit, &TNumericEdit::keyDown);
    QTest::keyClicks(&edit, QStringLiteral("7"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClick(&edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(enter.count(), 2);
    ASSERT_EQ(keyDown.count(), 3);
    EXPECT_EQ(keyDown.at(1).at(0).toInt(), int(Qt::Key_Return));
    EXPECT_EQ(edit.text(), QStringLiteral("7"));
}

TEST_F(TNumericEditTest, EditingKeysWorkAsInAPlainField) {
    QTest::keyClicks(&edit, QStringLiteral("123"));
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("23"));
    EXPECT_EQ(edit.cursorPosition(), 0);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("3"));
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_TRUE(edit.text().isEmpty());

    // A selection is typed over when the result fits.
    QTest::keyClicks(&edit, QStringLiteral("9876"));
    edit.selectAll();
    QTest::keyClick(&edit, '5');
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
}

TEST_F(TNumericEditTest, ClipboardShortcutsAreRefusedButContextMenuPasteIsNot) {
    QTest::keyClicks(&edit, QStringLiteral("1"));
    QApplication::clipboard()->setText(QStringLiteral("x9"));
    if (QApplication::clipboard()->text() != QStringLiteral("x9"))
        GTEST_SKIP() << "no clipboard on this platform";
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    edit.paste(); // what the context menu's paste runs
    EXPECT_EQ(edit.text(), QStringLiteral("1x9"));
}

TEST_F(TNumericEditTest, MessagesGoThroughThePrompter) {
    RecordingPrompter prompter;
    edit.setPrompter(&prompter);

    QTest::keyClick(&edit, 'x');
    EXPECT_TRUE(prompter.shown.isEmpty()); // refused silently by default

    edit.setShowErrorMessage(true);
    QTest::keyClick(&edit, 'x');
    QTest::keyClick(&edit, 'f', Qt::AltModifier); // a menu mnemonic, not typing
    QTest::keyClick(&edit, Qt::Key_Right);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].message.caption, QStringLiteral("Unzulässiges Zeichen"));
    EXPECT_TRUE(edit.text().isEmpty());

    edit.setShowErrorMessage(false);
    edit.SetVorkomma(16);
    EXPECT_EQ(edit.GetVorkomma(), 4);
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[1].message.text, QStringLiteral("Nicht mehr als 15 Stellen"));
}

TEST_F(TNumericEditTest, LeavingTheFieldIsReportedOnlyForRealFocusChanges) {
    QSignalSpy exited(&edit, &TNumericEdit::exited);
    for (Qt::FocusReason reason :
         {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason, Qt::TabFocusReason, Qt::MouseFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(&edit, &out);
    }
    EXPECT_EQ(exited.count(), 2);
}

TEST_F(TNumericEditTest, AppliesAModelField) {
    NumericField f;
    f.name = QStringLiteral("neAnzeigeHigh");
    f.text = QStringLiteral("12");
    f.Vorkommastellen = 2;
    f.Nachkommastellen = 1;
    f.Seperator = QStringLiteral(".");
    edit.applyField(f);

    QTest::keyClick(&edit, '3');
    QTest::keyClick(&edit, ',');
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    QTest::keyClicks(&edit, QStringLiteral(".5"));
    EXPECT_DOUBLE_EQ(edit.GetDouble(), 12.5);

    // Re-rendering the same text keeps the caret where the user put it.
    f.text = edit.text();
    edit.setCursorPosition(1);
    edit.applyField(f);
    EXPECT_EQ(edit.cursorPosition(), 1);

    const NumericField back = edit.field();
    EXPECT_EQ(back.name, QStringLiteral("neAnzeigeHigh"));
    EXPECT_EQ(back.text, QStringLiteral("12.5"));
    EXPECT_EQ(back.Vorkommastellen, 2);
    EXPECT_EQ(back.Seperator, QStringLiteral("."));
}

TEST_F(TNumericEditTest, EveryCharacterOfAComposedKeyIsFiltered) {
    QKeyEvent composed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("1a2"));
    QApplication::sendEvent(&edit, &composed);
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
}
