#include "RosterFile.h"

#include "RosterJson.h"
#include "Status.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace traxbus {

namespace fs = std::filesystem;

namespace {

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return ".";
}

// The file comes last: a long path may be cut off in the caller's buffer, the problem must not.
std::string describe(const std::string& path) {
    return " (Datei „" + path + "“)";
}

std::string systemError(int error) {
    switch (error) {
    case ENOENT:
        return "Datei oder Ordner fehlt";
    case EACCES:
    case EPERM:
        return "keine Berechtigung";
    case ENOTDIR:
        return "ein Teil des Pfads ist kein Ordner";
    case EISDIR:
        return "ist ein Ordner";
    case ENOSPC:
        return "Datenträger voll";
    case EROFS:
        return "Datenträger schreibgeschützt";
    case EEXIST:
        return "existiert bereits";
    case ENOTEMPTY:
        return "Ordner nicht leer";
    default:
        return "Systemfehler " + std::to_string(error);
    }
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string RosterFile::defaultPath() {
    if (const char* sim = std::getenv("TRAXBUS_SIM"); sim && *sim) return sim;
    std::string config;
    // XDG requires an absolute path; anything else is ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        config = xdg;
    else
        config = homeFolder() + "/.config";
    return config + "/Halvora/traxbus-sim.json";
}

int16_t RosterFile::load(Roster& roster, std::string& problem) const {
    std::error_code ec;
    if (!fs::exists(path_, ec)) {
        if (ec) {
            problem = "nicht erreichbar, " + systemError(ec.value()) + describe(path_);
            return status::BadRoster;
        }
        roster = Roster::makeDefault();
        return save(roster, problem);
    }
    if (fs::is_directory(path_, ec)) {
        problem = "der Pfad ist ein Ordner" + describe(path_);
        return status::BadRoster;
    }
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        problem = "nicht lesbar, " + systemError(errno) + describe(path_);
        return status::BadRoster;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        problem = "nicht lesbar, " + systemError(errno) + describe(path_);
        return status::BadRoster;
    }
    // Editors on Windows like to start UTF-8 files with a byte order mark.
    const std::string_view bom = "\xEF\xBB\xBF";
    const std::size_t start = text.compare(0, bom.size(), bom) == 0 ? bom.size() : 0;
    try {
        roster = RosterJson::parse(text.substr(start));
    } catch (const RosterError& e) {
        problem = e.what() + describe(path_);
        return status::BadRoster;
    }
    return status::Ok;
}

int16_t RosterFile::save(const Roster& roster, std::string& problem) const {
    const fs::path target(path_);
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            problem = "Ordner nicht anlegbar, " + systemError(ec.value()) + describe(path_);
            return status::WriteFailed;
        }
    }
    const std::string temporary = path_ + ".tmp." + std::to_string(getpid());
    const std::string data = RosterJson::serialize(roster);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        problem = "Hilfsdatei nicht anlegbar, " + systemError(errno) + describe(temporary);
        return status::WriteFailed;
    }
    const bool written = writeAll(fd, data) && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(temporary.c_str());
        problem = "Hilfsdatei nicht schreibbar, " + systemError(writeError) + describe(temporary);
        return status::WriteFailed;
    }
    if (::rename(temporary.c_str(), path_.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        problem = "nicht ersetzbar, " + systemError(renameError) + describe(path_);
        return status::WriteFailed;
    }
    return status::Ok;
}

} // namespace traxbus
