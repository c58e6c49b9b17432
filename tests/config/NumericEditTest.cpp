#include "config/NumericEdit.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <string>

using namespace NumericEdit;

namespace {

NumericField field(int vor, int nach, const QString& separator = QStringLiteral(",")) {
    NumericField f;
    f.Vorkommastellen = vor;
    f.Nachkommastellen = nach;
    f.Seperator = separator;
    return f;
}

// Typing at the end of `text` with nothing selected.
KeyResult type(const NumericField& f, const QString& text, QChar key) {
    return KeyPress(f, text, -1, 0, static_cast<int>(text.size()), key);
}

QString refusalText(const KeyResult& r) {
    return r.refusal ? r.refusal->text : QString();
}

} // namespace

TEST(NumericEditKeyPress, RefusesEverythingButDigitsSignsBackspaceAndSeparator) {
    const NumericField f = field(10, 2);
    for (QChar key : {QChar(u'a'), QChar(u'.'), QChar(u' '), QChar(u'e'), QChar(13), QChar(27), QChar(3),
                      QChar(22), QChar(127), QChar(u'\u0663') /* Arabic-Indic three */}) {
        const KeyResult r = type(f, QStringLiteral("1"), key);
        EXPECT_FALSE(r.accepted) << int(key.unicode());
        EXPECT_FALSE(r.textChanged);
        ASSERT_TRUE(r.refusal);
        EXPECT_EQ(r.refusal->text, QStringLiteral("Unzulässiges Zeichen\nZülässing sind: 0123456789+-"));
        EXPECT_EQ(r.refusal->caption, QStringLiteral("Unzulässiges Zeichen"));
        EXPECT_EQ(r.refusal->icon, Prompter::Icon::Error);
    }
    EXPECT_TRUE(type(f, QStringLiteral("1"), u',').accepted);
    EXPECT_TRUE(type(f, QStringLiteral("1"), u'7').accepted);

    // Whole numbers only: the separator is just another foreign character.
    const KeyResult sep = type(field(4, 0), QStringLiteral("12"), u',');
    EXPECT_FALSE(sep.accepted);
    EXPECT_EQ(refusalText(sep), QStringLiteral("Unzulässiges Zeichen\nZülässing sind: 0123456789+-"));

    // With "." as separator the comma is foreign.
    EXPECT_FALSE(type(field(4, 2, QStringLiteral(".")), QStringLiteral("1"), u',').accepted);
    EXPECT_TRUE(type(field(4, 2, QStringLiteral(".")), QStringLiteral("1"), u'.').accepted);
}

TEST(NumericEditKeyPress, BackspaceIsAlwaysPassedOn) {
    // Even a text already beyond both limits can be shortened.
    const KeyResult r = type(field(1, 0), QStringLiteral("12345"), QChar(kBackspace));
    EXPECT_TRUE(r.accepted);
    EXPECT_FALSE(r.textChanged);
}

TEST(NumericEditKeyPress, SignKeysEditTheTextThemselves) {
    const NumericField f = field(2, 0);

    const KeyResult plus = KeyPress(f, QStringLiteral("-12"), -1, 0, 2, u'+');
    EXPECT_FALSE(plus.accepted);
    EXPECT_TRUE(plus.textChanged);
    EXPECT_EQ(plus.text, QStringLiteral("+12"));
    EXPECT_EQ(plus.caret, 2);
    EXPECT_FALSE(plus.refusal);

    const KeyResult same = type(f, QStringLiteral("-12"), u'-');
    EXPECT_FALSE(same.accepted);
    EXPECT_FALSE(same.textChanged);
    EXPECT_FALSE(same.refusal);

    const KeyResult lone = type(f, QString(), u'-');
    EXPECT_TRUE(lone.textChanged);
    EXPECT_EQ(lone.text, QStringLiteral("-"));
    EXPECT_EQ(lone.caret, 1);

    // The prefix moves the caret along with the text; signs do not count as digits.
    const KeyResult prefix = KeyPress(f, QStringLiteral("12"), -1, 0, 1, u'-');
    EXPECT_EQ(prefix.text, QStringLiteral("-12"));
    EXPECT_EQ(prefix.caret, 2);

    // Every opposite sign flips, not only the first.
    EXPECT_EQ(type(f, QStringLiteral("+1+2"), u'-').text, QStringLiteral("-1-2"));

    // A caret outside the text is held to it.
    EXPECT_EQ(KeyPress(f, QStringLiteral("5"), -1, 0, 99, u'-').caret, 2);
}

TEST(NumericEditKeyPress, SecondSeparatorIsRefused) {
    const KeyResult r = KeyPress(field(4, 2), QStringLiteral("1,5"), -1, 0, 0, u',');
    EXPECT_FALSE(r.accepted);
    ASSERT_TRUE(r.refusal);
    EXPECT_EQ(r.refusal->text, QStringLiteral("Dezimal-Seperator ist schon vorhanden"));
    EXPECT_EQ(r.refusal->caption, QStringLiteral("Dezimal-Seperator"));
}

TEST(NumericEditKeyPress, IntegerDigitsAreCountedOnTheTextWithTheKeyAppended) {
    const NumericField f = field(2, 0);
    // The caret position does not matter: the digit counts as appended.
    const KeyResult atStart = KeyPress(f, QStringLiteral("12"), -1, 0, 0, u'3');
    EXPECT_FALSE(atStart.accepted);
    ASSERT_TRUE(atStart.refusal);
    EXPECT_EQ(atStart.refusal->text, QStringLiteral("Weitere Vorkommastellen\nsind nicht zulässig"));
    EXPECT_EQ(atStart.refusal->caption, QStringLiteral("Zeichenanzahl überschritten"));

    // A selection is replaced by the key.
    EXPECT_TRUE(KeyPress(f, QStringLiteral("12"), 0, 2, 2, u'3').accepted);
    EXPECT_TRUE(KeyPress(f, QStringLiteral("12"), 1, 1, 2, u'3').accepted);
    EXPECT_TRUE(type(f, QStringLiteral("-1"), u'2').accepted);
    EXPECT_FALSE(type(f, QStringLiteral("+-12"), u'3').accepted);

    // A selection outside the text counts as none.
    EXPECT_FALSE(KeyPress(f, QStringLiteral("12"), 5, 3, 2, u'3').accepted);
    EXPECT_FALSE(KeyPress(f, QStringLiteral("12"), -4, 3, 2, u'3').accepted);
}

TEST(NumericEditKeyPress, FractionDigitsAreCountedAfterTheSeparator) {
    const NumericField f = field(2, 1);
    for (int caret : {0, 1, 3}) {
        const KeyResult r = KeyPress(f, QStringLiteral("1,5"), -1, 0, caret, u'7');
        EXPECT_FALSE(r.accepted) << caret;
        EXPECT_EQ(refusalText(r), QStringLiteral("Weitere Nachkommastellen\nsind nicht zulässig"));
    }
    // Once a separator is there only the fraction is counted, so the integer
    // part may grow beyond its digit count.
    EXPECT_TRUE(KeyPress(field(2, 2), QStringLiteral("12,"), -1, 0, 0, u'9').accepted);
    // The separator itself may end a full integer part, and may replace a selection.
    EXPECT_TRUE(type(f, QStringLiteral("12"), u',').accepted);
    EXPECT_FALSE(KeyPress(f, QStringLiteral("1234"), 1, 1, 2, u',').accepted); // would leave "34" behind it
    EXPECT_TRUE(KeyPress(f, QStringLiteral("1234"), 2, 1, 3, u',').accepted);
}

TEST(NumericEditKeyPress, EmptySeparatorMeansWholeNumbers) {
    // An empty separator is found nowhere, so no text counts as having a fraction.
    const NumericField f = field(2, 2, QString());
    EXPECT_FALSE(type(f, QStringLiteral("12"), u'3').accepted);
    EXPECT_TRUE(type(f, QStringLiteral("1"), u'3').accepted);
    EXPECT_FALSE(type(f, QStringLiteral("1"), u',').accepted);
}

TEST(NumericEditSetters, DigitCountsUpTo15AreStoredAsMagnitude) {
    NumericField f = field(4, 2);
    RecordingPrompter prompter;
    EXPECT_TRUE(SetVorkomma(f, -5, prompter));
    EXPECT_EQ(GetVorkomma(f), 5);
    EXPECT_TRUE(SetNachkomma(f, 15, prompter));
    EXPECT_EQ(GetNachkomma(f), 15);
    EXPECT_TRUE(SetNachkomma(f, -15, prompter));
    EXPECT_EQ(GetNachkomma(f), 15);
    EXPECT_TRUE(prompter.shown.isEmpty());

    // Refused values keep the old count and are reported even without ShowErrorMessage.
    for (int bad : {16, -16, INT_MAX, INT_MIN}) {
        prompter.shown.clear();
        EXPECT_FALSE(SetVorkomma(f, bad, prompter)) << bad;
        EXPECT_FALSE(SetNachkomma(f, bad, prompter)) << bad;
        EXPECT_EQ(GetVorkomma(f), 5);
        EXPECT_EQ(GetNachkomma(f), 15);
        ASSERT_EQ(prompter.shown.size(), 2);
        const Prompter::Message& m = prompter.shown[0].message;
        EXPECT_EQ(m.text, QStringLiteral("Nicht mehr als 15 Stellen"));
        EXPECT_EQ(m.caption, QStringLiteral("TNumericEdit"));
        EXPECT_EQ(m.icon, Prompter::Icon::None);
        EXPECT_EQ(m.buttons, QList<Prompter::Button>{Prompter::Button::Ok});
    }
}

TEST(NumericEditSetters, SeparatorIsAtMostOneCharacter) {
    NumericField f = field(4, 2);
    RecordingPrompter prompter;
    EXPECT_TRUE(SetSeperator(f, QStringLiteral("."), prompter));
    EXPECT_FALSE(SetSeperator(f, QStringLiteral(".,"), prompter));
    EXPECT_EQ(GetSeperator(f), QStringLiteral("."));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].message.text, QStringLiteral("Nicht mehr als 1 Zeichen"));
    EXPECT_EQ(prompter.shown[0].message.caption, QStringLiteral("TNumericEdit"));
    EXPECT_TRUE(SetSeperator(f, QString(), prompter));
    EXPECT_TRUE(GetSeperator(f).isEmpty());
}

TEST(NumericEditReplaceText, ScansLeftToRightWithoutRescanningReplacements) {
    QString t = QStringLiteral("a-b-c");
    EXPECT_EQ(replaceText(t, QStringLiteral("-"), QStringLiteral("+"), true), 2);
    EXPECT_EQ(t, QStringLiteral("a+b+c"));

    t = QStringLiteral("a-b-c");
    EXPECT_EQ(replaceText(t, QStringLiteral("-"), QStringLiteral("+"), false), 1);
    EXPECT_EQ(t, QStringLiteral("a+b-c"));

    t = QStringLiteral("aa");
    EXPECT_EQ(replaceText(t, QStringLiteral("a"), QStringLiteral("aa"), true), 2);
    EXPECT_EQ(t, QStringLiteral("aaaa"));

    t = QStringLiteral("aaa");
    EXPECT_EQ(replaceText(t, QStringLiteral("aa"), QStringLiteral("b"), true), 1);
    EXPECT_EQ(t, QStringLiteral("ba"));

    t = QStringLiteral("xyz");
    EXPECT_EQ(replaceText(t, QStringLiteral("q"), QStringLiteral("r"), true), 0);
    // An empty search text would match everywhere and never end.
    EXPECT_EQ(replaceText(t, QString(), QStringLiteral("r"), true), 0);
    EXPECT_EQ(t, QStringLiteral("xyz"));
}

TEST(NumericEditGetDouble, ConvertsTheLeadingNumber) {
    const QString comma = QStringLiteral(",");
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("-0,25"), comma), -0.25);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("+"), comma), 0.0);
    EXPECT_DOUBLE_EQ(GetDouble(QString(), comma), 0.0);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("1.5"), comma), 1.5); // a typed point still reads as one
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("1,2,3"), comma), 1.2);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral(" \t3,5e2x"), comma), 350.0);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("1e"), comma), 1.0);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("2E+"), comma), 2.0);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("25e-1"), comma), 2.5);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral(",5"), comma), 0.5);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("-7,"), comma), -7.0);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("9999"), comma), 9999.0);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("2.75"), QStringLiteral(".")), 2.75);
    EXPECT_DOUBLE_EQ(GetDouble(QStringLiteral("1,5"), QString()), 1.0);

    for (const char* noNumber : {"abc", "-", ",", "-,e5", "+-1", "inf", "nan", "0x10", "\u0663"})
        EXPECT_EQ(GetDouble(QString::fromUtf8(noNumber), comma), 0.0) << noNumber;
}

TEST(NumericEditGetDouble, OutOfRangeBehavesLikeTheCLibrary) {
    const QString comma = QStringLiteral(",");
    EXPECT_EQ(GetDouble(QStringLiteral("1e999"), comma), HUGE_VAL);
    EXPECT_EQ(GetDouble(QStringLiteral("-0,001e400"), comma), -HUGE_VAL);
    EXPECT_EQ(GetDouble(QStringLiteral("1e-999"), comma), 0.0);
    EXPECT_EQ(GetDouble(QStringLiteral("1000e-400"), comma), 0.0);
    EXPECT_EQ(GetDouble(QStringLiteral("1e99999999999999999999"), comma), HUGE_VAL);
    EXPECT_DOUBLE_EQ(GetDouble(QString(400, u'0') + QStringLiteral("1,5"), comma), 1.5);
}

TEST(NumericEditGetDouble, IgnoresTheLocale) {
    // A German default locale (and C locale, where the machine has one) must not
    // change how the separator and the point are read.
    const QLocale savedQt;
    const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
        if (std::setlocale(LC_NUMERIC, name)) break;

    const double comma = GetDouble(QStringLiteral("-0,25"), QStringLiteral(","));
    const double point = GetDouble(QStringLiteral("1.5"), QStringLiteral(","));
    const double dot = GetDouble(QStringLiteral("12.5e1"), QStringLiteral("."));

    std::setlocale(LC_NUMERIC, savedC.c_str());
    QLocale::setDefault(savedQt);
    EXPECT_DOUBLE_EQ(comma, -0.25);
    EXPECT_DOUBLE_EQ(point, 1.5);
    EXPECT_DOUBLE_EQ(dot, 125.0);
}
