#include "BusLibFixture.h"

#include <cstring>

namespace {

nlohmann::json trk(const char* identity, int address, nlohmann::json extra = nlohmann::json::object()) {
    nlohmann::json instrument = {
        {"identity", identity}, {"firmware", 23.1}, {"address", address}, {"parameters", {{"11", 1}}}};
    instrument.update(extra);
    return instrument;
}

} // namespace

TEST_F(BusLibTest, FaultFiresAfterItsSkipsForItsCountAndIsUsedUp) {
    writeRoster(onePort(
        {trk("0x07800001", 1,
             {{"faults", {{{"command", 248}, {"p", 11}, {"status", -30}, {"count", 2}, {"after", 1}}}}})}));
    ASSERT_EQ(open(1), 0);
    int32_t out = 0;
    EXPECT_EQ(readParameter(1, 11, out), 0);
    EXPECT_EQ(readParameter(1, 0, out), 0); // another parameter does not count
    EXPECT_EQ(readParameter(1, 11, out), -30);
    EXPECT_EQ(writeParameter(1, 11, 2), -30);
    EXPECT_EQ(readParameter(1, 11, out), 0);
    EXPECT_EQ(out, 1); // the failed write changed nothing

    const auto fault = roster()["ports"][0]["instruments"][0]["faults"][0];
    EXPECT_EQ(fault["count"], 0);
    lib->closeCom();
    reload();
    ASSERT_EQ(open(1), 0);
    EXPECT_EQ(readParameter(1, 11, out), 0);
}

TEST_F(BusLibTest, FaultCanBeLimitedToWritesAndLastForever) {
    writeRoster(onePort({trk(
        "0x07800001", 1,
        {{"faults", {{{"command", 248}, {"p", 1}, {"write", true}, {"status", -31}, {"count", -1}}}}})}));
    ASSERT_EQ(open(1), 0);
    int32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(readParameter(1, 1, out), 0);
        EXPECT_EQ(writeParameter(1, 1, 1), -31);
    }
}

TEST_F(BusLibTest, InstrumentCanStopAnsweringHalfway) {
    writeRoster(
        onePort({trk("0x07800001", 1,
                     {{"faults", {{{"command", "any"}, {"after", 3}, {"status", -2}, {"count", -1}}}}})}));
    ASSERT_EQ(open(1), 0);
    double value = 0;
    int32_t integer = 0;
    EXPECT_EQ(tx(255, 14, value, integer), 0);
    EXPECT_EQ(tx(1, 12, value, integer), 0);
    EXPECT_EQ(tx(1, 254, value, integer), 0);
    EXPECT_EQ(tx(1, 254, value, integer), st::NoAnswer);
    EXPECT_EQ(tx(255, 14, value, integer), st::NoAnswer);
    EXPECT_EQ(tx(1, 12, value, integer), st::NoAnswer);
}

TEST_F(BusLibTest, SilentInstrumentNeverAnswersNorCollides) {
    writeRoster(onePort({trk("0x07800001", 1, {{"silent", true}}), trk("0x07800002", 2)}));
    ASSERT_EQ(open(1), 0);
    double value = 0;
    int32_t integer = 0;
    ASSERT_EQ(tx(255, 14, value, integer), 0);
    EXPECT_EQ(integer, 2);
    EXPECT_EQ(tx(1, 12, value, integer), st::NoAnswer);
}

TEST_F(BusLibTest, RosterWideFaultsHitOpeningAndWholeCommands) {
    auto doc = onePort(
        {trk("0x07800001", 1,
             {{"name", "A"},
              {"faults", {{{"fn", "TBTransmitString"}, {"command", 1}, {"status", -42}, {"count", 1}}}}})});
    doc["faults"] = {{{"fn", "TBOpenCom"}, {"port", 1}, {"status", -40}, {"count", 1}},
                     {{"fn", "TBTransmit"}, {"command", 254}, {"status", -41}, {"count", -1}},
                     {{"fn", "SearchForComPorts"}, {"status", -43}, {"count", 1}}};
    writeRoster(doc);

    std::vector<int16_t> ports(256);
    int16_t count = 0;
    EXPECT_EQ(lib->searchPorts(ports.data(), &count), -43);
    EXPECT_EQ(lib->searchPorts(ports.data(), &count), 0);
    EXPECT_EQ(open(1), -40);
    ASSERT_EQ(open(1), 0);
    double value = 0;
    EXPECT_EQ(readValue(1, 254, value), -41);
    EXPECT_EQ(identity(1), 0x07800001);

    char text[32] = {};
    int16_t aux = 0;
    int16_t length = 30;
    EXPECT_EQ(lib->transmitString(1, 1, &aux, text, &length), -42);
    EXPECT_EQ(lib->transmitString(1, 1, &aux, text, &length), 0);
    EXPECT_STREQ(text, "A");
}

TEST_F(BusLibTest, TraceAppendsOneJsonLinePerCall) {
    const auto trace = dir_ / "trace.jsonl";
    std::ofstream(trace) << R"({"fn":"before"})" << '\n';
    setenv("TRAXBUS_TRACE", trace.c_str(), 1);

    ASSERT_EQ(open(1), 0);
    int32_t out = 0;
    ASSERT_EQ(readParameter(1, 11, out), 0);
    double value = 0;
    EXPECT_EQ(readValue(1, 99, value), st::UnknownCommand);
    char text[256] = {};
    lib->unit(1, text);
    int16_t aux = 0;
    int16_t length = 254;
    ASSERT_EQ(lib->transmitString(1, 1, &aux, text, &length), 0);
    lib->closeCom();

    const auto lines = traceLines(trace);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0]["fn"], "before");
    EXPECT_EQ(lines[1],
              nlohmann::json::parse(
                  R"({"fn":"TBOpenCom","in":{"port":1,"baud":4800,"mode":6},"status":0,"out":{}})"));
    EXPECT_EQ(lines[2], nlohmann::json::parse(R"({"fn":"TBTransmit",
        "in":{"address":1,"command":248,"aux":0,"value":11.0,"integer":0},"status":0,
        "out":{"aux":0,"value":11.0,"integer":1}})"));
    EXPECT_EQ(lines[3]["in"]["command"], 99);
    EXPECT_EQ(lines[3]["status"], st::UnknownCommand);
    EXPECT_EQ(lines[4]["fn"], "GetUnit");
    EXPECT_EQ(lines[4]["out"]["text"], "°C");
    EXPECT_EQ(lines[5]["fn"], "TBTransmitString");
    EXPECT_EQ(lines[5]["in"]["length"], 254);
    EXPECT_EQ(lines[5]["out"]["text"], "Kessel 1");
    EXPECT_EQ(lines[5]["out"]["length"], 8);
    EXPECT_EQ(lines[6]["fn"], "TBCloseCom");
}
