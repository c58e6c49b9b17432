#include "BusLibFixture.h"

#include <cstring>

namespace {

// Windows-1252 error texts, compared by their ASCII parts.
bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(BusLibTest, ProgrammedValuesSurviveUnloadingTheLibrary) {
    ASSERT_EQ(open(1), 0);
    ASSERT_EQ(writeParameter(1, 11, 2), 0);
    ASSERT_EQ(writeValue(1, 43, 321.5, 0), 0);
    ASSERT_EQ(writeValue(1, 193, 750.0), 0);
    ASSERT_EQ(writeValue(1, 194, 0, 2), 0);
    lib->closeCom();
    reload();

    ASSERT_EQ(open(1), 0);
    int32_t out = 0;
    ASSERT_EQ(readParameter(1, 11, out), 0);
    EXPECT_EQ(out, 2);
    double value = 0;
    ASSERT_EQ(readValue(1, 42, value, 0), 0);
    EXPECT_EQ(value, 321.5);
    ASSERT_EQ(readValue(1, 201, value), 0);
    EXPECT_EQ(value, 750.0);

    const auto instrument = roster()["ports"][0]["instruments"][0];
    EXPECT_EQ(instrument["parameters"]["11"], 2);
    EXPECT_EQ(instrument["outputs"][0]["on"], 321.5);
    EXPECT_EQ(instrument["display"]["high"], 750.0);
    EXPECT_EQ(instrument["unit"], 2);
    EXPECT_EQ(instrument["identity"], "0x07810101");
}

TEST_F(BusLibTest, HandEditsTakeEffectWithoutRestart) {
    ASSERT_EQ(lib->version(), 0x0170);
    auto edited = roster();
    edited["libraryVersion"] = "0x0161";
    edited["ports"][0]["instruments"][0]["address"] = 12;
    writeRoster(edited);

    EXPECT_EQ(lib->version(), 0x0161);
    ASSERT_EQ(open(1), 0);
    EXPECT_EQ(identity(12), 0x07810101);
}

TEST_F(BusLibTest, MinimalHandWrittenInstrumentIsAccepted) {
    // As a Windows editor saves it: with a byte order mark.
    writeRosterText("\xEF\xBB\xBF"
                    R"({"libraryVersion": 354, "ports": [{"port": 3, "instruments": [
                        {"identity": 126877697, "firmware": 23, "address": 0}]}]})");
    EXPECT_EQ(lib->version(), 0x0162);
    ASSERT_EQ(open(3), 0);
    EXPECT_EQ(identity(0), 126877697);
    char text[32] = {};
    int16_t aux = 0;
    int16_t length = 30;
    EXPECT_EQ(lib->transmitString(0, 1, &aux, text, &length), st::NameUnsupported);
}

struct BadRoster {
    const char* label;
    std::string text;
    std::string expected; // part of the error text
};

void PrintTo(const BadRoster& roster, std::ostream* out) {
    *out << roster.label;
}

class BusLibBadRosterTest : public BusLibTest, public ::testing::WithParamInterface<BadRoster> {};

TEST_P(BusLibBadRosterTest, IsReportedWithFileAndProblemNeverUsed) {
    writeRosterText(GetParam().text);
    EXPECT_EQ(open(1), st::BadRoster);
    const std::string text = errorText(st::BadRoster);
    EXPECT_TRUE(contains(text, rosterPath_.string())) << text;
    EXPECT_TRUE(contains(text, GetParam().expected)) << text;

    std::vector<int16_t> ports(256);
    int16_t count = 0;
    EXPECT_EQ(lib->searchPorts(ports.data(), &count), st::BadRoster);
    EXPECT_EQ(lib->version(), 0x0170); // the program must still start and show the error later
    double value = 0;
    int32_t integer = 0;
    EXPECT_EQ(tx(1, 12, value, integer), st::PortNotOpen);
}

namespace {

std::string instrument(const std::string& fields) {
    return R"({"ports": [{"port": 1, "instruments": [{)" + fields + "}]}]}";
}
const std::string kValid = R"("identity": "0x07800001", "firmware": 23.0, "address": 1)";

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Files, BusLibBadRosterTest,
    ::testing::Values(
        BadRoster{"InvalidJson", "{\n  \"ports\": [ }", "Zeile 2"}, BadRoster{"Empty", "", "JSON"},
        BadRoster{"NotAnObject", "[1, 2]", "Objekt"},
        BadRoster{"PortsMissing", R"({"libraryVersion": "0x0170"})", "ports"},
        BadRoster{"AddressText", instrument(R"("identity": 1, "firmware": 23, "address": "eins")"),
                  "address"},
        BadRoster{"AddressTooHigh", instrument(R"("identity": 1, "firmware": 23, "address": 240)"), "239"},
        BadRoster{"IdentityMissing", instrument(R"("firmware": 23, "address": 1)"), "identity"},
        BadRoster{"IdentityNotHex", instrument(R"("identity": "0x78zz", "firmware": 23, "address": 1)"),
                  "identity"},
        BadRoster{"FirmwareText", instrument(R"("identity": 1, "firmware": "23.1", "address": 1)"),
                  "firmware"},
        BadRoster{"NameTooLong", instrument(kValid + R"(, "name": "Siebzehn Zeichen!")"), "16 Zeichen"},
        BadRoster{"NameNot1252", instrument(kValid + R"(, "name": "Ω")"), "Windows-1252"},
        BadRoster{"ParameterKept", instrument(kValid + R"(, "parameters": {"6": 10})"), "display"},
        BadRoster{"ParameterNumber", instrument(kValid + R"(, "parameters": {"x": 10})"), "Parameter"},
        BadRoster{"Decimals", instrument(kValid + R"(, "decimals": 4)"), "decimals"},
        BadRoster{"UnknownKey", instrument(kValid + R"(, "adress": 2)"), "adress"},
        BadRoster{"FaultWithoutCount", instrument(kValid + R"(, "faults": [{"command": 12, "status": -5}])"),
                  "count"},
        BadRoster{"FaultPositiveStatus",
                  instrument(kValid + R"(, "faults": [{"command": 12, "status": 5, "count": 1}])"), "status"},
        BadRoster{"FirmwareBeyondDouble", instrument(R"("identity": 1, "firmware": 1e999, "address": 1)"),
                  "Bereich"},
        BadRoster{"DuplicatePort", R"({"ports": [{"port": 2}, {"port": 2}]})", "Port 2"},
        BadRoster{"DuplicateIdentity",
                  R"({"ports": [{"port": 1, "instruments": [{"identity": 5, "firmware": 23, "address": 1},
                                   {"identity": 5, "firmware": 23, "address": 2}]}]})",
                  "0x00000005"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(BusLibTest, FailedWriteIsReportedAndNotHalfApplied) {
    ASSERT_EQ(open(1), 0);
    // Nothing can replace a non-empty folder, so the rename of the new roster fails.
    std::filesystem::remove(rosterPath_);
    std::filesystem::create_directories(rosterPath_ / "blocked");

    EXPECT_EQ(writeParameter(1, 11, 4), st::WriteFailed);
    const std::string text = errorText(st::WriteFailed);
    EXPECT_TRUE(contains(text, rosterPath_.string())) << text;
    int32_t out = 0;
    ASSERT_EQ(readParameter(1, 11, out), 0);
    EXPECT_EQ(out, 1);

    char name[32] = "Neu";
    int16_t aux = 0;
    int16_t length = 3;
    EXPECT_EQ(lib->transmitString(1, 2, &aux, name, &length), st::WriteFailed);
    length = 30;
    ASSERT_EQ(lib->transmitString(1, 1, &aux, name, &length), 0);
    EXPECT_STREQ(name, "Kessel 1");
}

TEST_F(BusLibTest, RosterThatCannotBeCreatedStillAnswersButRefusesWrites) {
    std::ofstream(dir_ / "file") << "x";
    setenv("TRAXBUS_SIM", (dir_ / "file" / "roster.json").c_str(), 1);
    EXPECT_EQ(lib->version(), 0x0170);
    ASSERT_EQ(open(1), 0);
    EXPECT_EQ(identity(1), 0x07810101);
    EXPECT_EQ(writeParameter(1, 11, 2), st::WriteFailed);
    EXPECT_TRUE(contains(errorText(st::WriteFailed), "roster.json"));
}
