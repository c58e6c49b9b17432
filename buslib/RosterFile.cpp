#include "RosterFile.h"

#include "RosterJson.h"
#include "Status.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <random>
#include <sys/file.h>
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

// The file a write replaces: the roster itself, or where its symbolic links lead, so that a
// link stays a link.
fs::path linkTarget(const fs::path& path) {
    fs::path p = path;
    for (int hops = 0; hops < 40; ++hops) { // the kernel gives up after as many
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec) return p;
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) return p;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p;
}

// An exclusive lock on "<roster>.lock" beside the roster, held while the object lives. A lock
// file of its own, since the roster itself is replaced by every write.
class Lock {
  public:
    explicit Lock(const fs::path& target) {
        const std::string name = target.string() + ".lock";
        fd_ = ::open(name.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            return;
        }
    }
    ~Lock() {
        if (fd_ >= 0) ::close(fd_);
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    int error() const { return error_; } // 0: held

  private:
    int fd_ = -1;
    int error_ = 0;
};

// Temporary files are named "<roster>.tmp.<pid>.<random>": a writer killed before its rename
// leaves one behind, which the next writer removes once that process is gone.
void removeStaleTemporaries(const fs::path& target) {
    const std::string prefix = target.filename().string() + ".tmp.";
    std::error_code ec;
    fs::directory_iterator entry(target.has_parent_path() ? target.parent_path() : fs::path("."), ec);
    for (; !ec && entry != fs::directory_iterator(); entry.increment(ec)) {
        const std::string name = entry->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const char* digits = name.c_str() + prefix.size();
        if (!std::isdigit(static_cast<unsigned char>(*digits))) continue;
        char* rest = nullptr;
        errno = 0;
        const long pid = std::strtol(digits, &rest, 10);
        if (errno != 0 || (*rest != '\0' && *rest != '.') || pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code kind;
        if (fs::is_directory(fs::symlink_status(entry->path(), kind))) continue;
        ::unlink(entry->path().c_str());
    }
}

// A new file beside target under a name nobody can have planted: O_EXCL never opens an
// existing file, O_NOFOLLOW never a symbolic link.
int createTemporary(const fs::path& target, std::string& name) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(6, 'x');
        for (char& c : suffix)
            c = kLetters[pick(random)];
        name = target.string() + ".tmp." + std::to_string(::getpid()) + "." + suffix;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
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
    if (!fs::exists(path_, ec) && !ec) {
        // Created under the lock: another process may be creating or changing it right now.
        if (const int16_t created = update([](Roster&) { return false; }, problem); created != status::Ok) {
            roster = Roster::makeDefault();
            return created;
        }
    }
    return read(roster, problem);
}

int16_t RosterFile::read(Roster& roster, std::string& problem) const {
    std::error_code ec;
    const bool exists = fs::exists(path_, ec);
    if (ec) {
        problem = "nicht erreichbar, " + systemError(ec.value()) + describe(path_);
        return status::BadRoster;
    }
    if (exists && fs::is_directory(path_, ec)) {
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

int16_t RosterFile::update(const Change& change, std::string& problem) const {
    const fs::path target = linkTarget(path_);
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            problem = "Ordner nicht anlegbar, " + systemError(ec.value()) + describe(path_);
            return status::WriteFailed;
        }
    }
    const Lock lock(target);
    if (lock.error()) {
        problem = "nicht sperrbar, " + systemError(lock.error()) + describe(target.string() + ".lock");
        return status::WriteFailed;
    }
    removeStaleTemporaries(target);
    Roster roster;
    const bool missing = !fs::exists(target, ec) && !ec;
    if (missing) {
        roster = Roster::makeDefault();
    } else if (read(roster, problem) != status::Ok) {
        return status::WriteFailed;
    }
    if (!change(roster) && !missing) return status::Ok;
    return replace(target, roster, problem);
}

int16_t RosterFile::replace(const fs::path& target, const Roster& roster, std::string& problem) const {
    const std::string data = RosterJson::serialize(roster);
    std::string temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0) {
        problem = "Hilfsdatei nicht anlegbar, " + systemError(errno) + describe(temporary);
        return status::WriteFailed;
    }
    // The new file takes the old one's mode (a roster of mode 600 stays private) and, where the
    // writer may give it away (root), its owner.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)!::fchown(fd, old.st_uid, old.st_gid);
        ::fchmod(fd, old.st_mode & 07777);
    }
    const bool written = writeAll(fd, data) && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(temporary.c_str());
        problem = "Hilfsdatei nicht schreibbar, " + systemError(writeError) + describe(temporary);
        return status::WriteFailed;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        problem = "nicht ersetzbar, " + systemError(renameError) + describe(path_);
        return status::WriteFailed;
    }
    return status::Ok;
}

} // namespace traxbus
