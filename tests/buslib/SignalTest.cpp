// GetMeasurement follows the roster's signal over the time since the port was opened. The signal
// clock is pinned by TRAXBUS_SIGNALSTEP: the first poll sees 0 s, each further poll one step more.

#include "BusLibFixture.h"

#include <cmath>

namespace {

using nlohmann::json;

// A controller instrument: set point 500, band 50, integral 120 s, derivative 30 s.
json pidInstrument(int parameter18, const json& signal) {
    return {{"identity", "0x07810101"},
            {"firmware", 23.1},
            {"address", 1},
            {"options", "0x0020"},
            {"outputs", json::array({{{"on", 500.0}, {"off", 50.0}}})},
            {"parameters", {{"15", 120}, {"16", 30}, {"18", parameter18}}},
            {"signal", signal}};
}

json plainInstrument(const json& signal) {
    return {{"identity", "0x07610404"}, {"firmware", 23.0}, {"address", 1}, {"measurement", 7.0}, {"signal", signal}};
}

class SignalTest : public BusLibTest {
  protected:
    void TearDown() override {
        unsetenv("TRAXBUS_SIGNALSTEP");
        BusLibTest::TearDown();
    }
};

TEST_F(SignalTest, EachKindMovesWithTheTimeSinceThePortWasOpened) {
    const json process = {{"process", {{"gain", 600}, {"timeConstant", 240}, {"deadTime", 5}, {"start", 20}}}};
    struct Row {
        const char* what;
        json instrument;
        double seconds; // the second poll's time
        double atStart, later, tolerance;
    };
    const Row rows[] = {
        {"constant", plainInstrument({{"constant", 42.5}}), 100, 42.5, 42.5, 0},
        // A ramp starts again after its period.
        {"ramp", plainInstrument({{"ramp", {{"from", 0}, {"to", 1000}, {"period", 100}}}}), 125, 0, 250, 1e-9},
        {"sine", plainInstrument({{"sine", {{"mean", 500}, {"amplitude", 200}, {"period", 60}}}}), 15, 500, 700,
         1e-9},
        {"step", plainInstrument({{"step", {{"before", 200}, {"after", 800}, {"at", 30}}}}), 30, 200, 800, 0},
        {"noise", plainInstrument({{"noise", {{"mean", 500}, {"spread", 5}}}}), 1, 500, 500, 5},
        // The controller brings the process to its set point; without the integral it would
        // stay near 463.
        {"process, PID on", pidInstrument(0x10, process), 1800, 20, 500, 1},
        {"process, PID off", pidInstrument(0x00, process), 1800, 20, 20, 1e-9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        writeRoster(onePort({row.instrument}));
        setenv("TRAXBUS_SIGNALSTEP", std::to_string(row.seconds).c_str(), 1);
        ASSERT_EQ(open(1), 0);
        double first = -1;
        double second = -1;
        ASSERT_EQ(lib->measurement(1, &first), 0);
        ASSERT_EQ(lib->measurement(1, &second), 0);
        EXPECT_NEAR(first, row.atStart, row.tolerance);
        EXPECT_NEAR(second, row.later, row.tolerance);
        lib->closeCom();
    }

    // A change written back keeps the signal in the file.
    writeRoster(onePort({pidInstrument(0x10, process)}));
    ASSERT_EQ(open(1), 0);
    ASSERT_EQ(writeParameter(1, 15, 60), 0);
    EXPECT_EQ(roster()["ports"][0]["instruments"][0]["signal"], process);
}

TEST_F(SignalTest, AFaultySignalIsRefusedWithItsReason) {
    const std::pair<json, const char*> bad[] = {
        {plainInstrument({{"ramp", {{"from", 0}, {"to", 1}}}}), "period"},
        {plainInstrument({{"sine", {{"mean", 0}, {"amplitude", 1}, {"period", 60}}}, {"noise", {}}}),
         "genau eine Art"},
        {plainInstrument({{"process", {{"gain", 1000}, {"timeConstant", 60}}}}), "PID-Option"},
        {plainInstrument({{"square", {}}}), "square"},
    };
    for (const auto& [instrument, reason] : bad) {
        writeRoster(onePort({instrument}));
        EXPECT_EQ(open(1), st::BadRoster);
        EXPECT_NE(errorText(st::BadRoster).find(reason), std::string::npos) << errorText(st::BadRoster);
    }
}

} // namespace
