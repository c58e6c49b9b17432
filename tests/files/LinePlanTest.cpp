#include "files/LinePlan.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

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
         lineplan::relativeD20(path, dir.filePath(QStringLiteral("anlage/geraete/kessel.d20")))},
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
    EXPECT_EQ(first.d20File, QStringLiteral("geraete/kessel.d20"));
    EXPECT_EQ(lineplan::d20Path(path, first),
              QDir::cleanPath(dir.filePath(QStringLiteral("anlage/geraete/kessel.d20"))));
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

// A plan handed on is untrusted: every way out of its folder, anything that could block or flood,
// and a plan that would check clean against any line are refused, naming the entry, with a long
// value cut short in the message. A link that stays inside the folder is followed.
TEST(LinePlanFile, RefusesWhatCouldLeaveItsFolderBlockOrFlood) {
    QTemporaryDir dir, elsewhere;
    const QString plan = dir.filePath(QStringLiteral("plan.json"));
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    };
    const auto linked = [&](const QString& target, const char* name) {
        return [&dir, target, name] { return QFile::link(target, dir.filePath(QLatin1String(name))); };
    };
    ASSERT_TRUE(write(elsewhere.filePath(QStringLiteral("x.d20")), "d20") &&
                write(dir.filePath(QStringLiteral("x.d20")), "d20"));
    const QString big(100000, QLatin1Char('x'));
    enum Stage { Reader, Opening, Accepted };
    struct Case {
        QString key, value; // set in the entry ("" and nothing: no instruments at all)
        std::function<bool()> prepare;
        Stage stage;
        const char* says;
    };
    const QList<Case> cases = {
        {"d20", "../../../../etc/passwd", {}, Reader, "„d20“ von Kessel Nord führt aus dem Ordner"},
        {"d20", QStringLiteral("x.d20") + QChar(0) + QLatin1Char('y'), {}, Reader, "Steuerzeichen"},
        {"d20", big, {}, Reader, "länger als 255"},
        {"name", big, {}, Reader, "„xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx…“ passt nicht"},
        {big, "", {}, Reader, "unbekannter Eintrag „xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx…“"},
        {"", "", {}, Reader, "nennt kein Gerät"},
        {"d20", "raus.d20", linked(elsewhere.filePath(QStringLiteral("x.d20")), "raus.d20"), Opening,
         "Kessel Nord: die d20-Datei „raus.d20“ liegt nicht im Ordner"},
        {"d20", "rohr.d20",
         [&] { return mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("rohr.d20"))), 0600) == 0; },
         Opening, "keine gewöhnliche Datei"},
        {"d20", "innen.d20", linked(dir.filePath(QStringLiteral("x.d20")), "innen.d20"), Accepted, "/x.d20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        if (c.prepare) {
            ASSERT_TRUE(c.prepare());
        }
        QJsonObject entry{{QStringLiteral("address"), 17},
                          {QStringLiteral("name"), QStringLiteral("Kessel Nord")},
                          {QStringLiteral("model"), QStringLiteral("TRK 520")},
                          {QStringLiteral("d20"), QStringLiteral("x.d20")}};
        if (!c.key.isEmpty()) entry[c.key] = c.value;
        const QJsonObject o{
            {QStringLiteral("version"), 1},
            {QStringLiteral("port"), 10},
            {QStringLiteral("instruments"), c.key.isEmpty() ? QJsonArray() : QJsonArray{entry}}};
        ASSERT_TRUE(write(plan, QJsonDocument(o).toJson()));
        const lineplan::ReadResult read = lineplan::read(plan);
        const lineplan::D20File opened = read.plan && !read.plan->instruments.isEmpty()
                                             ? lineplan::d20File(plan, read.plan->instruments.at(0))
                                             : lineplan::D20File{};
        const QString said = c.stage == Reader    ? read.reason
                             : c.stage == Opening ? opened.problem
                                                  : opened.path;
        EXPECT_EQ(bool(read.plan), c.stage != Reader) << read.reason.toStdString();
        EXPECT_EQ(opened.problem.isEmpty(), c.stage != Opening) << opened.problem.toStdString();
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
    }

    // The plan itself: a pipe is not opened (it would block), more than 1 MiB is not read.
    const QString pipe = dir.filePath(QStringLiteral("rohr.json"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe), 0600), 0);
    EXPECT_TRUE(lineplan::read(pipe).reason.endsWith(QStringLiteral("keine gewöhnliche Datei.")));
    ASSERT_TRUE(write(plan, QByteArray(LinePlan::kMaxBytes + 1, ' ')));
    EXPECT_TRUE(lineplan::read(plan).reason.endsWith(QStringLiteral("höchstens 1 MiB.")))
        << lineplan::read(plan).reason.toStdString();
}
