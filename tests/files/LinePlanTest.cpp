#include "files/LinePlan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(LinePlanFile, KeepsEveryEntryAndRefusesAMalformedPlanWithItsReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("anlage/plan.json"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("anlage")));

    LinePlan plan;
    plan.port = 10;
    plan.converter = 66;
    plan.instruments = {
        {201, int32_t(0x87811006), QString(), QStringLiteral("TRK 520"), QStringLiteral("geraete/alt.d20")},
        {0, std::nullopt, QStringLiteral("Kessel Süd"), QStringLiteral("TRK 520 PID STA1"),
         lineplan::relativeD20(path, dir.filePath(QStringLiteral("kessel.d20")))},
    };
    ASSERT_TRUE(lineplan::write(path, plan).ok);

    const lineplan::ReadResult back = lineplan::read(path);
    ASSERT_TRUE(back.plan) << back.reason.toStdString();
    EXPECT_EQ(back.plan->port, 10);
    EXPECT_EQ(back.plan->converter, 66);
    EXPECT_EQ(back.plan->addresses(), (QList<int16_t>{0, 201}));
    const LinePlanEntry& first = back.plan->instruments.at(0);
    EXPECT_FALSE(first.identity);
    EXPECT_EQ(first.name, QStringLiteral("Kessel Süd"));
    EXPECT_EQ(first.model, QStringLiteral("TRK 520 PID STA1"));
    // Relative to the plan, so plan and d20 files move together.
    EXPECT_EQ(first.d20File, QStringLiteral("../kessel.d20"));
    EXPECT_EQ(lineplan::d20Path(path, first), QDir::cleanPath(dir.filePath(QStringLiteral("kessel.d20"))));
    const LinePlanEntry* old = back.plan->at(201);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->identity, int32_t(0x87811006));
    EXPECT_EQ(old->name, QString());

    // A second entry for one address would lose one of them: the plan is refused with the reason.
    QByteArray json = lineplan::toJson(*back.plan);
    json.replace("\"address\": 201", "\"address\": 0");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(json);
    file.close();
    const lineplan::ReadResult twice = lineplan::read(path);
    EXPECT_FALSE(twice.plan);
    EXPECT_EQ(twice.reason, QStringLiteral("Anlagenplan „%1“: Adresse 0 ist zweimal verplant.").arg(path));

    // 239 is the line's last address; 240 is none.
    QByteArray edge = lineplan::toJson(*back.plan);
    edge.replace("\"address\": 201", "\"address\": 239");
    EXPECT_TRUE(lineplan::parse(edge, path).plan);
    edge.replace("\"address\": 239", "\"address\": 240");
    EXPECT_FALSE(lineplan::parse(edge, path).plan);
}
