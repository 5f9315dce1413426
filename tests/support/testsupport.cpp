#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace testsupport {

QString dataPath(const QString &name) {
    return QStringLiteral(TESSARIN_TEST_DATA "/") + name;
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QStringList namesIn(const QString &folder) {
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

quint64 inodeOf(const QString &path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}

LockedFolder::LockedFolder(const QString &path) : path_(path) {
    ::chmod(QFile::encodeName(path).constData(), 0555);
    if (canCreate()) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            immutable_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
}

LockedFolder::~LockedFolder() {
    if (immutable_) {
        int flags = 0;
        ::ioctl(fd_, FS_IOC_GETFLAGS, &flags);
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd_, FS_IOC_SETFLAGS, &flags);
    }
    if (fd_ >= 0)
        ::close(fd_);
    ::chmod(QFile::encodeName(path_).constData(), 0755);
}

bool LockedFolder::canCreate() const {
    const QByteArray probe = QFile::encodeName(path_ + QStringLiteral("/.probe"));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

bool makeFifo(const QString &path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

BoundSocket::BoundSocket(const QString &path) : path_(QFile::encodeName(path)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path_.size()) >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, path_.constData(), size_t(path_.size()));
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
             ::listen(fd_, 1) == 0;
}

BoundSocket::~BoundSocket() {
    if (fd_ >= 0)
        ::close(fd_);
    if (bound_)
        ::unlink(path_.constData());
}

FifoRelease::FifoRelease(const QString &path, int afterMs)
    : thread_([this, native = QFile::encodeName(path), afterMs] {
          const auto start = std::chrono::steady_clock::now();
          while (!stop_) {
              std::this_thread::sleep_for(std::chrono::milliseconds(10));
              if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(afterMs))
                  continue;
              // Succeeds only while someone has it open for reading.
              const int fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK);
              if (fd >= 0)
                  ::close(fd);
          }
      }) {}

FifoRelease::~FifoRelease() {
    stop_ = true;
    thread_.join();
}

SavePlace::SavePlace(const QString &dir, const QString &kind, const QByteArray &old) {
    const QString folder = dir + QStringLiteral("/place-") + kind;
    if (!QDir().mkpath(folder))
        return;
    path = folder + QStringLiteral("/file");
    if (kind == QLatin1String("new")) {
        ready = true;
    } else if (kind == QLatin1String("regular")) {
        writeFile(path, old);
        ready = true;
    } else if (kind == QLatin1String("symlink")) {
        other = folder + QStringLiteral("/target");
        writeFile(other, old);
        ready = QFile::link(QStringLiteral("target"), path); // relative, as links often are
    } else if (kind == QLatin1String("hardlink")) {
        other = folder + QStringLiteral("/second name");
        writeFile(other, old);
        ready = ::link(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()) == 0;
    } else if (kind == QLatin1String("locked")) {
        writeFile(path, old);
        lock = std::make_unique<LockedFolder>(folder);
        ready = lock->locked();
    } else if (kind == QLatin1String("fifo")) {
        ready = makeFifo(path);
    }
}

QStringList SavePlace::names() const {
    QStringList all{QFileInfo(path).fileName()};
    if (!other.isEmpty())
        all << QFileInfo(other).fileName();
    all.sort();
    return all;
}

FileOfKind::FileOfKind(const QString &kind, const QString &target) {
    if (kind.startsWith(u'/')) {
        made_ = QFile::link(kind, target);
    } else if (kind == QLatin1String("fifo")) {
        made_ = makeFifo(target);
        release_ = std::make_unique<FifoRelease>(target, 2000);
    } else if (kind == QLatin1String("folder")) {
        made_ = QDir().mkpath(target);
    } else if (kind == QLatin1String("socket")) {
        socket_ = std::make_unique<BoundSocket>(target);
        made_ = socket_->bound();
    } else if (kind == QLatin1String("file")) {
        writeFile(target, "text");
        made_ = QFileInfo(target).isFile();
    }
}

} // namespace testsupport
