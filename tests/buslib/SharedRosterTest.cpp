// The roster file shared the way a bus is: by several processes at once, behind symbolic links,
// with a private mode, in a folder where others may plant files.
#include "BusLibFixture.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST_F(BusLibTest, TwoProcessesProgrammingTwoPortsKeepEachOthersValues) {
    ASSERT_EQ(lib->version(), 0x0170); // creates the default roster
    constexpr int kRounds = 40;
    // Each child programs its own port again and again: a parameter, then the name.
    const auto program = [this](int16_t port, char tag) {
        if (open(port) != 0) return 1;
        for (int round = 1; round <= kRounds; ++round) {
            if (writeParameter(1, 24, round) != 0) return 2;
            char name[17];
            int16_t aux = 0;
            int16_t length = static_cast<int16_t>(std::snprintf(name, sizeof name, "%c%d", tag, round));
            if (lib->transmitString(1, 2, &aux, name, &length) != 0) return 3;
        }
        return lib->closeCom() == 0 ? 0 : 4;
    };
    std::vector<pid_t> children;
    for (const auto& [port, tag] : {std::pair<int16_t, char>{1, 'A'}, {3, 'C'}}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(program(port, tag));
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }

    const auto written = roster();
    for (const auto& [index, name] : {std::pair{0, "A40"}, {2, "C40"}}) {
        const auto& instrument = written["ports"][index]["instruments"][0];
        EXPECT_EQ(instrument["parameters"]["24"], kRounds) << "port " << index + 1;
        EXPECT_EQ(instrument["name"], name);
    }
    // Nothing left over but the roster and its lock.
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_TRUE(entry.path() == rosterPath_ || entry.path().filename() == "roster.json.lock") << entry.path();
}

TEST_F(BusLibTest, WriteGoesThroughTheLinkKeepsTheModeAndFollowsNoPlantedFile) {
    // The roster is a link to a private file in another folder.
    ASSERT_EQ(lib->version(), 0x0170);
    const fs::path real = dir_ / "private" / "real.json";
    fs::create_directories(real.parent_path());
    fs::rename(rosterPath_, real);
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(real, rosterPath_);

    // A file someone wants overwritten, linked under the temporary names a writer of this
    // process could pick, and the leftover of a writer that was killed.
    const fs::path victim = dir_ / "victim";
    std::ofstream(victim) << "unberuehrt";
    for (const fs::path& link : {fs::path(rosterPath_.string() + ".tmp." + std::to_string(getpid())),
                                 fs::path(real.string() + ".tmp." + std::to_string(getpid()))})
        fs::create_symlink(victim, link);
    const pid_t gone = fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) _exit(0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const fs::path stale = real.string() + ".tmp." + std::to_string(gone) + ".k1ll3d";
    std::ofstream(stale) << "{";

    ASSERT_EQ(open(1), 0);
    ASSERT_EQ(writeParameter(1, 11, 2), 0);

    EXPECT_TRUE(fs::is_symlink(rosterPath_));
    EXPECT_EQ(roster()["ports"][0]["instruments"][0]["parameters"]["11"], 2);
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(fileText(victim) == "unberuehrt") << "the planted link was followed";
    EXPECT_FALSE(fs::exists(fs::symlink_status(stale)));
    // Only the planted links and the lock remain beside the file.
    std::size_t others = 0;
    for (const auto& entry : fs::directory_iterator(real.parent_path()))
        others += entry.path() != real && entry.path().filename() != "real.json.lock" &&
                  !fs::is_symlink(entry.symlink_status());
    EXPECT_EQ(others, 0u);
}
