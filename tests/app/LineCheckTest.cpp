#include "app/LineCheck.h"
#include "config/ModelCatalogue.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A line as the engine sees it: who answers where, and what it asked for.
class FakeLine : public line::LineAccess {
  public:
    FakeLine(Clock& clock) : LineAccess({}, clock, 10, 0) {}
    QMap<int16_t, int32_t> at; // address -> identity word
    QSet<int16_t> clashing;    // several instruments answer there
    QSet<int16_t> differing;   // the instrument there differs from its file
    std::function<void(int16_t)> afterCompare;
    QList<std::pair<int32_t, int16_t>> moves;
    QList<int16_t> programmed;

    bus::ScanResult scan(const QList<int16_t>&, const bus::ScanCallbacks&) override {
        bus::ScanResult r;
        for (auto it = at.begin(); it != at.end(); ++it) {
            bus::ScanRow row;
            row.address = it.key();
            row.identity = it.value();
            r.rows.append(row);
        }
        for (const int16_t address : clashing) {
            bus::ScanRow row;
            row.address = address;
            row.collision = true;
            r.rows.append(row);
        }
        return r;
    }
    int16_t poll(int16_t address, int32_t& identity) override {
        if (!at.contains(address)) return -2;
        identity = at.value(address);
        return 0;
    }
    int16_t moveTo(int32_t identity, int16_t address) override {
        moves.append({identity, address});
        at.remove(at.key(identity));
        at.insert(address, identity);
        return 0;
    }
    QString errorText(int16_t status) override { return QStringLiteral("(Fehler %1)").arg(status); }
    line::Compared compare(int16_t address, const QString&) override {
        line::Compared c{true, false, {}, 0, {}};
        if (differing.contains(address))
            c.differences.append({QStringLiteral("Schaltausgang 1"), QStringLiteral("Einschaltpunkt"),
                                  QStringLiteral("750"), QStringLiteral("800"), true});
        if (afterCompare) afterCompare(address);
        return c;
    }
    line::Programmed program(int16_t address, const QString&) override {
        programmed.append(address);
        if (stopAfter == programmed.size()) stopping = true;
        return {line::Programmed::Outcome::Verified, QStringLiteral("programmiert und geprüft"), {}};
    }
    int stopAfter = -1; // the user asks to stop while this many instruments are programmed
    bool stopping = false;
    bool stopRequested() override { return stopping; }
    QList<int16_t> saved;
    const ModelEntry* fittingModel(int16_t, int32_t identity, int16_t& status) override {
        status = 0;
        return &catalogue::entry((identity & kFamilyMask) == kFamilyDvn500 ? ModelId::DVN500 : ModelId::TRK520);
    }
    bool save(int16_t address, const ModelEntry&, const QString&, QString&, bool&) override {
        saved.append(address);
        return true;
    }
};

constexpr int32_t kTrk1 = 0x07811001, kDvn2 = 0x07611002, kTrk3 = 0x07811003;
constexpr int32_t kNewTrk = 0x07811077, kNewDvn = 0x07611088;

LinePlanEntry entry(int16_t address, int32_t identity, const char* name, const char* model,
                    const char* d20 = "a.d20") {
    return {address, identity, QString::fromUtf8(name), QString::fromUtf8(model), QString::fromUtf8(d20)};
}

// The plan's d20 files: only a regular file in the plan's folder is opened.
void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

// Only a missing instrument's own family may take its place, and only when the planned one answers
// nowhere: one that merely moved is no reason to take over a stranger. The taken-over serial is
// written into the plan; nothing else changes.
TEST(LineCheck, OffersAReplacementOnlyForAMissingInstrumentOfTheSameFamily) {
    ManualClock clock;
    FakeLine bus(clock);
    LinePlan plan;
    plan.port = 10;
    plan.instruments = {entry(1, kTrk1, "Kessel", "TRK 520"), entry(2, kDvn2, "Tank", "DVN 500", "tank.d20"),
                        entry(3, kTrk3, "Pumpe", "TRK 520")};
    bus.at = {{1, kTrk1}, {5, kTrk3}, {7, kNewTrk}, {9, kNewDvn}};
    QTemporaryDir dir;
    const QString planPath = QDir(dir.path()).filePath(QStringLiteral("plan.json"));
    touch(dir.filePath(QStringLiteral("a.d20")));

    const line::CheckResult checked = line::check(bus, plan, planPath);
    QMap<int, line::Row> rows;
    for (const line::Row& r : checked.rows)
        rows.insert(r.address, r);
    ASSERT_EQ(rows.keys(), (QList<int>{1, 2, 3, 5, 7, 9}));
    EXPECT_EQ(rows[1].state, line::State::Same);
    EXPECT_EQ(rows[2].state, line::State::Missing);
    EXPECT_EQ(rows[3].state, line::State::Missing);
    EXPECT_EQ(rows[5].replaces, -1); // the planned pump, moved
    EXPECT_EQ(rows[7].replaces, -1); // a TRK: the pump is on the line, the tank is a DVN
    EXPECT_EQ(line::replacementOffer(plan, rows[9]), QStringLiteral("Als Ersatz für Tank übernehmen"));
    EXPECT_FALSE(checked.clean());

    // The tank's file a link out of the plan's folder: the stranger is not even moved.
    QTemporaryDir elsewhere;
    touch(elsewhere.filePath(QStringLiteral("tank.d20")));
    ASSERT_TRUE(QFile::link(elsewhere.filePath(QStringLiteral("tank.d20")),
                            dir.filePath(QStringLiteral("tank.d20"))));
    const line::ProgramResult refused = line::program(bus, plan, planPath, true);
    EXPECT_TRUE(bus.moves.isEmpty());
    ASSERT_EQ(refused.rows.last().address, 9);
    EXPECT_EQ(refused.rows.last().outcome, line::Programmed::Outcome::FileFailed);
    EXPECT_TRUE(refused.rows.last().result.startsWith(QStringLiteral("Tank: ")))
        << refused.rows.last().result.toStdString();
    ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("tank.d20"))));
    touch(dir.filePath(QStringLiteral("tank.d20")));

    const line::ProgramResult done = line::program(bus, plan, planPath, true);
    EXPECT_EQ(bus.moves, (QList<std::pair<int32_t, int16_t>>{{kNewDvn, 2}}));
    EXPECT_EQ(bus.programmed, QList<int16_t>{2});
    EXPECT_TRUE(done.planChanged);
    const lineplan::ReadResult written = lineplan::read(planPath);
    ASSERT_TRUE(written.plan) << written.reason.toStdString();
    EXPECT_EQ(written.plan->at(2)->identity, kNewDvn);
    EXPECT_EQ(written.plan->at(1)->identity, kTrk1);
    EXPECT_EQ(written.plan->at(3)->identity, kTrk3);
}

// Nothing is programmed but the planned instrument: one swapped between the check and the write
// is refused, one of another family at a missing instrument's address is reported and offered
// as nobody's replacement, and a collision off the plan is listed too.
TEST(LineCheck, ProgramsOnlyThePlannedInstrumentAndNamesEveryOtherAddress) {
    ManualClock clock;
    FakeLine bus(clock);
    LinePlan plan;
    plan.port = 10;
    plan.instruments = {entry(1, kTrk1, "Kessel", "TRK 520"), entry(2, kDvn2, "Tank", "DVN 500")};
    bus.at = {{1, kTrk1}, {2, kNewTrk}};
    bus.clashing = {30};
    bus.differing = {1};
    bus.afterCompare = [&](int16_t address) {
        if (address == 1) bus.at[1] = kTrk3;
    };
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("a.d20")));

    const line::ProgramResult done =
        line::program(bus, plan, dir.filePath(QStringLiteral("plan.json")), false);
    ASSERT_EQ(done.before.rows.size(), 3);
    EXPECT_EQ(done.before.rows.at(1).state, line::State::Other);
    EXPECT_EQ(done.before.rows.at(1).replaces, -1); // a TRK cannot stand in for the DVN
    QMap<int, QString> results;
    for (const line::ProgramRow& r : done.rows)
        results.insert(r.address, r.result);
    EXPECT_EQ(
        results,
        (QMap<int, QString>{
            {1, QStringLiteral("anderes Gerät, nicht programmiert")},
            {2, QStringLiteral("anderes Gerät (Seriennummer 07811077 statt 07611002); nicht programmiert")},
            {30, QStringLiteral("mehrere Geräte an Adresse 30; nicht programmiert")}}));
    EXPECT_TRUE(bus.programmed.isEmpty());
}

// A stop asked during the first instrument lets it finish and begins neither the next planned one
// nor an offered replacement; both are named as not programmed.
TEST(LineCheck, AStopBeginsNoFurtherInstrument) {
    ManualClock clock;
    FakeLine bus(clock);
    LinePlan plan;
    plan.port = 10;
    plan.instruments = {entry(1, kTrk1, "Kessel", "TRK 520"), entry(2, kDvn2, "Tank", "DVN 500"),
                        entry(3, kTrk3, "Pumpe", "TRK 520")};
    bus.at = {{1, kTrk1}, {3, kTrk3}, {9, kNewDvn}};
    bus.differing = {1, 3};
    bus.stopAfter = 1;
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("a.d20")));
    const line::ProgramResult done = line::program(bus, plan, dir.filePath(QStringLiteral("plan.json")), true);
    EXPECT_EQ(bus.programmed, QList<int16_t>{1});
    EXPECT_TRUE(bus.moves.isEmpty());
    QMap<int, line::Programmed::Outcome> outcomes;
    for (const line::ProgramRow& r : done.rows)
        outcomes.insert(r.address, r.outcome);
    EXPECT_EQ(outcomes.value(1), line::Programmed::Outcome::Verified);
    EXPECT_EQ(outcomes.value(3), line::Programmed::Outcome::Stopped);
    EXPECT_EQ(outcomes.value(9), line::Programmed::Outcome::Stopped);
}

// A new plan takes every instrument that answers alone, in rising addresses; files of another
// line beside the plan are named before anything is read, and kept when the answer is no.
TEST(LineCheck, NewPlanTakesEachLoneInstrumentAndAsksBeforeOverwriting) {
    ManualClock clock;
    FakeLine bus(clock);
    bus.at = {{42, kTrk3}, {5, kTrk1}, {17, kDvn2}};
    QTemporaryDir dir;
    const QString planPath = dir.filePath(QStringLiteral("plan.json"));
    QFile other(line::d20Beside(planPath, 17));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();

    QList<line::ExistingFile> asked;
    const line::MadePlan kept = line::makePlan(
        bus, planPath, [&](const QList<line::ExistingFile>& files) { asked = files; return false; }, {});
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.at(0).path, dir.filePath(QStringLiteral("Adresse_017.d20")));
    EXPECT_TRUE(kept.kept);
    EXPECT_TRUE(bus.saved.isEmpty());

    QList<int16_t> heard;
    const line::MadePlan made = line::makePlan(
        bus, planPath, [](const QList<line::ExistingFile>&) { return true; },
        [&](const line::Taken& t) { heard.append(t.address); });
    EXPECT_EQ(heard, (QList<int16_t>{5, 17, 42}));
    EXPECT_EQ(bus.saved, heard);
    ASSERT_EQ(made.plan.instruments.size(), 3);
    EXPECT_EQ(made.plan.instruments.at(1).identity, kDvn2);
    EXPECT_EQ(made.plan.instruments.at(1).model, QStringLiteral("DVN 500"));
    EXPECT_EQ(made.plan.instruments.at(1).d20File, QStringLiteral("Adresse_017.d20"));
    EXPECT_EQ(made.plan.port, 10);
}
