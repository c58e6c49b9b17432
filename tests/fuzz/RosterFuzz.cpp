// Any bytes as the replacement library's roster file, read the way the library reads it. A roster
// it accepts is written back as after an instrument write, and that file must read again to the
// same ports and instruments. Any exception other than the clear roster error escapes and ends
// the run.

#include "FuzzCheck.h"
#include "RosterFile.h"
#include "RosterJson.h"
#include "Status.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string& scratchFile() {
    static const std::string path = [] {
        const auto folder =
            std::filesystem::temp_directory_path() / ("traxbus-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        return (folder / "traxbus-sim.json").string();
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const traxbus::RosterFile file(scratchFile());
    {
        std::ofstream out(file.path(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        fuzzCheck(bool(out.flush()), "cannot write the input file");
    }
    traxbus::Roster roster;
    std::string problem;
    if (file.load(roster, problem) != traxbus::status::Ok) {
        fuzzCheck(!problem.empty(), "a refused roster without a reason");
        return 0;
    }
    const std::string written = traxbus::RosterJson::serialize(roster);
    const auto sameRoster = [&roster](traxbus::Roster& onFile) {
        onFile = roster;
        return true;
    };
    fuzzCheck(file.update(sameRoster, problem) == traxbus::status::Ok, "cannot write the roster back", problem);

    traxbus::Roster again;
    fuzzCheck(file.load(again, problem) == traxbus::status::Ok, "the rewritten roster is refused",
              problem + "\n" + written);
    const std::string rewritten = traxbus::RosterJson::serialize(again);
    fuzzCheck(rewritten == written, "the rewritten roster reads to other instruments",
              "first:\n" + written + "\nagain:\n" + rewritten);
    return 0;
}
