#include "bus/ExtendedTransfer.h"
#include "bus/BusConstants.h"
#include "support/ScriptedBus.h"

#include <gtest/gtest.h>

namespace {

const int32_t kQuery = static_cast<int32_t>(0xF7FFFFFF);

struct ExtendedTransfer : ::testing::Test {
    ScriptedBus bus;
    MainWindowModel model;

    ExtendedTransfer() { bus.load(); }

    void setFields(const QString& general, const QString& alarm, const QString& s1, const QString& s2) {
        model.e_erw_Allgemein.text = general;
        model.e_erw_Alarm.text = alarm;
        model.e_erw_Schaltfunktion1.text = s1;
        model.e_erw_Schaltfunktion2.text = s2;
    }
    QStringList fields() const {
        return {model.e_erw_Allgemein.text, model.e_erw_Alarm.text, model.e_erw_Schaltfunktion1.text,
                model.e_erw_Schaltfunktion2.text};
    }
    // The instrument at address 9 answers the address query and holds these words.
    void instrument(int32_t general, int32_t alarm, int32_t s1, int32_t s2) {
        bus.on(bus::cmd::QueryAddress, 0, {}, 0x00000009, -1);
        bus.onParam(35, 0, general, -1)
            .onParam(28, 0, alarm, -1)
            .onParam(18, 0, s1, -1)
            .onParam(23, 0, s2, -1);
    }
};

} // namespace

TEST_F(ExtendedTransfer, ReadAsksTheAddressThenReadsTheFourWordsInOrder) {
    instrument(3, 130, 16, 0);
    bus::aErweiterteKonfigurationEinlesen(bus, model);
    EXPECT_EQ(bus.trace(), (QStringList{QStringLiteral("255:14:0:%1=0").arg(kQuery),
                                        QStringLiteral("9:248:35:9=0"), QStringLiteral("9:248:28:3=0"),
                                        QStringLiteral("9:248:18:130=0"), QStringLiteral("9:248:23:16=0")}));
    EXPECT_EQ(fields(), (QStringList{QStringLiteral("3"), QStringLiteral("130"), QStringLiteral("16"),
                                     QStringLiteral("0")}));
}

TEST_F(ExtendedTransfer, ReadKeepsWhatCouldNotBeRead) {
    setFields(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"));
    bus.on(bus::cmd::QueryAddress, -30);
    bus::aErweiterteKonfigurationEinlesen(bus, model);
    EXPECT_EQ(bus.transmits().size(), 1);
    EXPECT_EQ(fields(), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                     QStringLiteral("4")}));

    bus.calls.clear();
    bus.onParam(28, -20);
    instrument(10, 20, 30, 40);
    bus::aErweiterteKonfigurationEinlesen(bus, model);
    EXPECT_EQ(bus.transmits().size(), 5);
    EXPECT_EQ(fields(), (QStringList{QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("30"),
                                     QStringLiteral("40")}));
}

TEST_F(ExtendedTransfer, WriteSendsTheWordsRestartsAndVerifies) {
    setFields(QStringLiteral("7"), QStringLiteral("007"), QStringLiteral("48"), QStringLiteral("255"));
    instrument(7, 7, 48, 255);
    bus::aErweiterteKonfigurationSchreiben(bus, model);
    EXPECT_EQ(bus.trace(),
              (QStringList{QStringLiteral("255:14:0:%1=0").arg(kQuery), QStringLiteral("9:248:291:7=0"),
                           QStringLiteral("9:248:284:7=0"), QStringLiteral("9:248:274:48=0"),
                           QStringLiteral("9:248:279:255=0"), QStringLiteral("9:241:279:255=0"),
                           QStringLiteral("9:12:279:255=0"), QStringLiteral("255:14:0:%1=0").arg(kQuery),
                           QStringLiteral("9:248:35:9=0"), QStringLiteral("9:248:28:7=0"),
                           QStringLiteral("9:248:18:7=0"), QStringLiteral("9:248:23:48=0")}));
    EXPECT_FALSE(model.extendedConfigWriteMismatch);
    // "007" was sent as 7 and read back as 7: the same word.
    EXPECT_EQ(model.e_erw_Alarm.text, QStringLiteral("7"));
}

TEST_F(ExtendedTransfer, AFailedWriteStillRestartsAndTheReadBackDecides) {
    setFields(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"));
    bus.onParam(284, -20);
    bus.on(bus::cmd::ReadIdentity, -20, {}, {}, 1);
    instrument(1, 0, 0, 0);
    bus::aErweiterteKonfigurationSchreiben(bus, model);
    QStringList sent;
    for (const auto& c : bus.transmits())
        sent.append(QStringLiteral("%1:%2").arg(c.command).arg(c.valueIn));
    EXPECT_EQ(sent,
              (QStringList{QStringLiteral("14:0"), QStringLiteral("248:291"), QStringLiteral("248:284"),
                           QStringLiteral("241:284"), QStringLiteral("12:284"), QStringLiteral("12:284"),
                           QStringLiteral("14:0"), QStringLiteral("248:35"), QStringLiteral("248:28"),
                           QStringLiteral("248:18"), QStringLiteral("248:23")}));
    EXPECT_TRUE(model.extendedConfigWriteMismatch);
    EXPECT_EQ(fields(), (QStringList{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"),
                                     QStringLiteral("0")}));

    // When the instrument already held the words, the failed write did no harm.
    bus = ScriptedBus();
    bus.load();
    model.extendedConfigWriteMismatch = false;
    setFields(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"));
    bus.onParam(284, -20);
    instrument(1, 2, 3, 4);
    bus::aErweiterteKonfigurationSchreiben(bus, model);
    EXPECT_FALSE(model.extendedConfigWriteMismatch);
}

TEST_F(ExtendedTransfer, ADifferentWordReadBackIsAMismatch) {
    setFields(QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("16"), QStringLiteral("0"));
    instrument(0, 0, 0, 0);
    bus::aErweiterteKonfigurationSchreiben(bus, model);
    EXPECT_TRUE(model.extendedConfigWriteMismatch);
    EXPECT_EQ(model.e_erw_Schaltfunktion1.text, QStringLiteral("0"));

    // A written word that cannot be read back counts as arrived.
    bus = ScriptedBus();
    bus.load();
    model.extendedConfigWriteMismatch = false;
    setFields(QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("16"), QStringLiteral("0"));
    bus.onParam(18, -20);
    instrument(0, 0, 0, 0);
    bus::aErweiterteKonfigurationSchreiben(bus, model);
    EXPECT_FALSE(model.extendedConfigWriteMismatch);
    EXPECT_EQ(model.e_erw_Schaltfunktion1.text, QStringLiteral("16"));
}

TEST_F(ExtendedTransfer, NoAddressMeansNothingWrittenAndNothingVerified) {
    setFields(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"));
    bus.on(bus::cmd::QueryAddress, -70, {}, 0x00000009, -1);
    bus::aErweiterteKonfigurationSchreiben(bus, model);
    EXPECT_EQ(bus.trace(),
              (QStringList{QStringLiteral("255:14:0:%1=-70").arg(kQuery), QStringLiteral("0:241:0:9=0"),
                           QStringLiteral("0:12:0:9=0"), QStringLiteral("255:14:0:%1=-70").arg(kQuery)}));
    // Not a word reached the instrument, so programming must not go on as if it had.
    EXPECT_TRUE(model.extendedConfigWriteMismatch);
}

TEST_F(ExtendedTransfer, AFieldThatHoldsNoWordIsNotSent) {
    for (const QString& bad : {QStringLiteral("abc"), QStringLiteral("300"), QStringLiteral("-1")}) {
        SCOPED_TRACE(bad.toStdString());
        bus = ScriptedBus();
        bus.load();
        model.extendedConfigWriteMismatch = false;
        setFields(QStringLiteral("1"), bad, QStringLiteral("3"), QStringLiteral("4"));
        instrument(1, 2, 3, 4);
        bus::aErweiterteKonfigurationSchreiben(bus, model);
        QList<double> writes;
        for (const auto& c : bus.transmits())
            if (c.command == bus::cmd::Parameter && c.valueIn > 255) writes.append(c.valueIn);
        EXPECT_EQ(writes, QList<double>{291});
        EXPECT_EQ(bus.transmits().at(2).command, bus::cmd::Restart);
        EXPECT_TRUE(model.extendedConfigWriteMismatch);
        EXPECT_EQ(model.e_erw_Alarm.text, QStringLiteral("2"));
    }
}
