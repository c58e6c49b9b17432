#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>

// A tiny file system of its own (tmpfs), so a test can fill it and watch a write
// fail for lack of space. Needs the right to mount (CI runs as root).
class SmallDisk {
  public:
    explicit SmallDisk(const char* size = "64k") {
        const QByteArray options = QByteArray("size=") + size;
        mounted = ::mount("tmpfs", QFile::encodeName(folder.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk() {
        if (mounted) ::umount2(QFile::encodeName(folder.path()).constData(), MNT_DETACH);
    }
    bool ok() const { return mounted; }
    QString file(const char* name) const { return folder.filePath(QLatin1String(name)); }

    // Mounted again write-protected, as a locked card or a read-only share; true when it worked.
    bool makeReadOnly() {
        return mounted && ::mount("tmpfs", QFile::encodeName(folder.path()).constData(), "tmpfs",
                                  MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    // Takes every free block; true when the disk is full afterwards.
    bool fill() {
        const int fd = ::open(QFile::encodeName(file("filler")).constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd < 0) return false;
        const QByteArray block(512, 'x');
        while (::write(fd, block.constData(), block.size()) > 0) {
        }
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }

  private:
    QTemporaryDir folder;
    bool mounted = false;
};
