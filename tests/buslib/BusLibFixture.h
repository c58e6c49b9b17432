#pragma once

#include "traxbus.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// The library as the program sees it: loaded by path, entry points resolved by name.
class BusLib {
  public:
    BusLib() {
        handle_ = dlopen(TRAXB32E_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!handle_) return;
        resolve(openCom, "TBOpenCom");
        resolve(closeCom, "TBCloseCom");
        resolve(transmit, "TBTransmit");
        resolve(errorMessage, "GetErrorMessageRet");
        resolve(type, "GetType");
        resolve(unit, "GetUnit");
        resolve(version, "GetVersionNumber");
        resolve(transmitString, "TBTransmitString");
        resolve(searchPorts, "SearchForComPorts");
        resolve(readId, "TBReadID");
        resolve(sysinit, "TBSysinit");
        resolve(measurement, "GetMeasurement");
    }
    ~BusLib() {
        if (handle_) dlclose(handle_);
    }
    BusLib(const BusLib&) = delete;
    BusLib& operator=(const BusLib&) = delete;

    bool complete() const {
        return handle_ && openCom && closeCom && transmit && errorMessage && type && unit && version &&
               transmitString && searchPorts && readId && sysinit && measurement;
    }

    TBOpenCom_t openCom = nullptr;
    TBCloseCom_t closeCom = nullptr;
    TBTransmit_t transmit = nullptr;
    GetErrorMessageRet_t errorMessage = nullptr;
    GetType_t type = nullptr;
    GetUnit_t unit = nullptr;
    GetVersionNumber_t version = nullptr;
    TBTransmitString_t transmitString = nullptr;
    SearchForComPorts_t searchPorts = nullptr;
    TBReadID_t readId = nullptr;
    TBSysinit_t sysinit = nullptr;
    GetMeasurement_t measurement = nullptr;

  private:
    template <typename F> void resolve(F& target, const char* name) {
        target = reinterpret_cast<F>(dlsym(handle_, name));
    }
    void* handle_ = nullptr;
};

// Statuses the tests name; the values are the library's contract with its callers.
namespace st {
constexpr int16_t NoAnswer = -2;
constexpr int16_t PortNotOpen = -3;
constexpr int16_t PortMissing = -4;
constexpr int16_t BadBaudRate = -5;
constexpr int16_t BadMode = -6;
constexpr int16_t Collision = -7;
constexpr int16_t UnknownCommand = -8;
constexpr int16_t NameTooLong = -9;
constexpr int16_t NameUnsupported = -10;
constexpr int16_t BufferTooSmall = -11;
constexpr int16_t NullPointer = -12;
constexpr int16_t BadOperand = -13;
constexpr int16_t BadRoster = -14;
constexpr int16_t WriteFailed = -15;
constexpr int16_t UnknownParameter = -38;
constexpr int16_t UseCommand104 = -44;
} // namespace st

// Each test gets its own roster file (TRAXBUS_SIM) in a fresh folder and a freshly loaded library.
class BusLibTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "buslib-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        rosterPath_ = dir_ / "roster.json";
        setenv("TRAXBUS_SIM", rosterPath_.c_str(), 1);
        unsetenv("TRAXBUS_TRACE");
        reload();
    }

    void TearDown() override {
        if (lib && lib->closeCom) lib->closeCom();
        lib.reset();
        unsetenv("TRAXBUS_SIM");
        unsetenv("TRAXBUS_TRACE");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // dlclose and dlopen again, as the program does between its bus runs.
    void reload() {
        lib.reset();
        lib = std::make_unique<BusLib>();
        ASSERT_TRUE(lib->complete()) << dlerror();
    }

    int16_t open(int16_t port) { return lib->openCom(port, 4800, 6); }

    int16_t tx(int16_t address, int16_t command, double& value, int32_t& integer) {
        int16_t aux = 0;
        return lib->transmit(address, command, &aux, &value, &integer);
    }
    int16_t readParameter(int16_t address, int p, int32_t& out) {
        double value = p;
        out = 0;
        return tx(address, 248, value, out);
    }
    int16_t writeParameter(int16_t address, int p, int32_t in) {
        double value = 256 + p;
        return tx(address, 248, value, in);
    }
    int16_t readValue(int16_t address, int16_t command, double& out, int32_t integer = 0) {
        out = 0;
        return tx(address, command, out, integer);
    }
    int16_t writeValue(int16_t address, int16_t command, double in, int32_t integer = 0) {
        return tx(address, command, in, integer);
    }
    int32_t identity(int16_t address) {
        double value = 0;
        int32_t integer = 0;
        EXPECT_EQ(tx(address, 12, value, integer), 0);
        return integer;
    }

    std::string errorText(int16_t status) {
        char text[256] = {};
        lib->errorMessage(status, text);
        return text;
    }

    void writeRosterText(const std::string& text) {
        std::ofstream(rosterPath_, std::ios::binary | std::ios::trunc) << text;
    }
    void writeRoster(const nlohmann::json& roster) { writeRosterText(roster.dump(2)); }
    nlohmann::json roster() const {
        std::ifstream in(rosterPath_);
        return nlohmann::json::parse(in);
    }

    // A roster with one port holding the given instruments.
    static nlohmann::json onePort(const std::vector<nlohmann::json>& instruments, int port = 1) {
        nlohmann::json entry = {{"port", port}, {"instruments", nlohmann::json(instruments)}};
        return {{"ports", nlohmann::json::array({entry})}};
    }

    std::vector<nlohmann::json> traceLines(const std::filesystem::path& path) const {
        std::vector<nlohmann::json> lines;
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(nlohmann::json::parse(line));
        return lines;
    }

    std::filesystem::path dir_;
    std::filesystem::path rosterPath_;
    std::unique_ptr<BusLib> lib;
};
