#include "bus/BusCommands.h"
#include "bus/BusPort.h"
#include "bus/BusScan.h"
#include "bus/LibraryBinding.h"
#include "config/Clock.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int16_t kLinePort = 10;

// The scan against the built library and its default roster, whose port 10 carries a line.
struct LineScan : ::testing::Test {
    QTemporaryDir dir;
    LibraryBinding library{{QStringLiteral(TRAXBUS_LIBDIR)}};
    ManualClock clock;

    LineScan() {
        qputenv("TRAXBUS_SIM", rosterPath().toLocal8Bit());
        qunsetenv("TRAXBUS_TRACE");
    }
    ~LineScan() override {
        library.TBCloseCom();
        qunsetenv("TRAXBUS_SIM");
    }
    QString rosterPath() const { return dir.filePath(QStringLiteral("roster.json")); }

    // The instruments of the line as the roster file holds them: identity -> the whole entry.
    QMap<uint32_t, QJsonObject> rosterLine() const {
        QFile file(rosterPath());
        if (!file.open(QIODevice::ReadOnly)) return {};
        QMap<uint32_t, QJsonObject> line;
        for (const QJsonValue port : QJsonDocument::fromJson(file.readAll())[QStringLiteral("ports")].toArray())
            if (port[QStringLiteral("port")].toInt() == kLinePort)
                for (const QJsonValue i : port[QStringLiteral("instruments")].toArray())
                    line.insert(i[QStringLiteral("identity")].toString().toUInt(nullptr, 16), i.toObject());
        return line;
    }
    bus::ScanResult scan(int16_t from, int16_t to, QList<int16_t> known = {}, bus::ScanCallbacks callbacks = {}) {
        return bus::scanBus(library, {from, to, known}, callbacks);
    }
};

} // namespace

TEST_F(LineScan, FindsTheWholeLineAndMovesOneInstrumentByItsIdentity) {
    ASSERT_TRUE(library.load());
    ASSERT_GE(bus::openBusPort(library, kLinePort, 0, clock), 0);
    const QMap<uint32_t, QJsonObject> planned = rosterLine();
    ASSERT_GE(planned.size(), 6);

    // Every instrument with its serial, family, firmware and name; nothing else; known first.
    QList<int> progress;
    int firstRemainingMs = -1;
    QList<int16_t> reported;
    const bus::ScanResult all =
        scan(0, bus::kHighestAddress, {201, 17, 17, 300},
             {[&](const bus::ScanRow& row) { reported.append(row.address); },
              [&](const bus::ScanProgress& p) {
                  if (progress.isEmpty()) firstRemainingMs = p.remainingMs;
                  progress.append(p.total - p.done);
              },
              {}});
    ASSERT_EQ(all.status, 0);
    EXPECT_EQ(all.done, 240);
    EXPECT_EQ(progress.first(), 240);
    EXPECT_EQ(progress.last(), 0);
    // At 4800 baud an empty address costs its 100 ms time-out: a whole line takes about half a minute.
    EXPECT_GT(firstRemainingMs, 25000);
    EXPECT_LT(firstRemainingMs, 35000);
    ASSERT_EQ(all.rows.size(), planned.size());
    EXPECT_EQ(reported.mid(0, 3), (QList<int16_t>{201, 17, 0}));
    for (const bus::ScanRow& row : all.rows) {
        SCOPED_TRACE(row.address);
        ASSERT_TRUE(planned.contains(static_cast<uint32_t>(row.identity)));
        const QJsonObject want = planned.value(static_cast<uint32_t>(row.identity));
        EXPECT_EQ(row.address, want[QStringLiteral("address")].toInt());
        EXPECT_FALSE(row.collision);
        EXPECT_DOUBLE_EQ(row.firmware, want[QStringLiteral("firmware")].toDouble());
        EXPECT_EQ(row.hasName, want[QStringLiteral("name")].isString());
        EXPECT_EQ(row.name, want[QStringLiteral("name")].toString());
        QString family;
        library.GetType(row.identity, family);
        EXPECT_EQ(row.typeName, family);
    }

    // Moved by its identity word onto an address another one holds: a collision row there.
    const bus::ScanRow moved = all.rows.at(3);
    const bus::ScanRow host = all.rows.at(4);
    bus::Operands ops;
    ops.integer = moved.identity;
    ASSERT_EQ(bus::transmit(library, host.address, bus::cmd::SetAddress, ops), 0);
    const bus::ScanResult clash = scan(0, bus::kHighestAddress);
    ASSERT_EQ(clash.rows.size(), planned.size() - 1);
    const auto at = [](const bus::ScanResult& r, int16_t address) {
        for (const bus::ScanRow& row : r.rows)
            if (row.address == address) return row;
        bus::ScanRow none;
        none.address = -1;
        return none;
    };
    EXPECT_TRUE(at(clash, host.address).collision);
    EXPECT_EQ(at(clash, host.address).collisionText(), QStringLiteral("mehrere Geräte an Adresse %1").arg(host.address));
    EXPECT_EQ(at(clash, moved.address).address, -1);

    // Moved on to a free address it answers there alone; every other instrument is as it was.
    ops.integer = moved.identity;
    ASSERT_EQ(bus::transmit(library, 99, bus::cmd::SetAddress, ops), 0);
    const bus::ScanResult after = scan(0, bus::kHighestAddress);
    ASSERT_EQ(after.rows.size(), planned.size());
    EXPECT_EQ(at(after, 99).identity, moved.identity);
    EXPECT_EQ(at(after, host.address).identity, host.identity);
    QMap<uint32_t, QJsonObject> now = rosterLine();
    EXPECT_EQ(now.take(moved.identity)[QStringLiteral("address")].toInt(), 99);
    QMap<uint32_t, QJsonObject> others = planned;
    others.remove(moved.identity);
    EXPECT_EQ(now, others);

    // Cancelled after the second find: what was found stays, the rest is not polled.
    int finds = 0;
    const bus::ScanResult part = scan(0, bus::kHighestAddress, {},
                                      {[&](const bus::ScanRow&) { ++finds; }, {}, [&] { return finds == 2; }});
    EXPECT_TRUE(part.cancelled);
    EXPECT_EQ(part.rows.size(), 2);
    EXPECT_EQ(part.done, part.rows.last().address + 1);
}
