#include "platform/safewrite.h"

#include "platform/settingspath.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

#include <pthread.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file a write goes to: the end of a chain of symbolic links, so that the
// link stays and its target gets the new contents.
std::string finalTarget(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::string link(size_t(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || size_t(n) >= link.size())
            break;
        link.resize(size_t(n));
        if (link.front() == '/') {
            path = link;
        } else {
            const size_t slash = path.rfind('/');
            path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + link;
        }
    }
    return path;
}

// The folder part of a path, with its slash; empty for a bare name.
std::string folderOf(const std::string &path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The old file's extended attributes (tags file managers set, its ACL) go to
// the file that replaces it; one the system refuses is left out.
void copyAttributes(const std::string &from, int to) {
    const ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size <= 0)
        return;
    std::string names(size_t(size), '\0');
    const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
    if (got <= 0)
        return;
    names.resize(size_t(got));
    std::string value;
    for (size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        const char *name = names.c_str() + at;
        const ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0)
            continue;
        value.resize(size_t(length));
        if (::getxattr(from.c_str(), name, value.data(), value.size()) == length)
            ::fsetxattr(to, name, value.data(), value.size(), 0);
    }
}

} // namespace

WriteSignalsHeld::WriteSignalsHeld() {
    sigemptyset(&held_);
    sigaddset(&held_, SIGPIPE);
    sigaddset(&held_, SIGXFSZ);
    sigpending(&wasPending_);
    pthread_sigmask(SIG_BLOCK, &held_, &old_);
}

WriteSignalsHeld::~WriteSignalsHeld() {
    sigset_t pending;
    sigpending(&pending);
    for (int signal : {SIGPIPE, SIGXFSZ}) {
        if (sigismember(&wasPending_, signal) == 1 || sigismember(&pending, signal) != 1)
            continue;
        sigset_t one;
        sigemptyset(&one);
        sigaddset(&one, signal);
        const timespec now{};
        while (sigtimedwait(&one, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
}

SafeWriter::SafeWriter(const QByteArray &nativePath) : target_(finalTarget(nativePath.toStdString())) {
    struct stat st;
    if (::stat(target_.c_str(), &st) != 0) {
        // Nothing there: a new file. Any other reason is for the open to report.
        inPlace_ = errno != ENOENT;
        return;
    }
    exists_ = true;
    regular_ = S_ISREG(st.st_mode);
    mode_ = st.st_mode & 07777;
    uid_ = st.st_uid;
    gid_ = st.st_gid;
    // Renaming over a file we may not write would bypass its protection; a
    // new file of ours would take another's file away from its owner.
    const bool ours = st.st_uid == ::geteuid() || ::geteuid() == 0;
    const std::string folder = folderOf(target_);
    inPlace_ = !regular_ || st.st_nlink != 1 || !ours || ::access(target_.c_str(), W_OK) != 0 ||
               ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0;
}

SafeWriter::~SafeWriter() { discard(); }

void SafeWriter::discard() {
    if (keeping_)
        restoreOld();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}

bool SafeWriter::open(qint64 newSize) {
    if (inPlace_ && exists_ && regular_ && openInPlace(newSize))
        return error_ == 0;
    if (inPlace_) {
        // Without blocking, also when a FIFO stands there by now; then
        // blocking writes again.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
        if (fd_ < 0) {
            error_ = errno;
            return false;
        }
        struct stat st;
        regular_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        return true;
    }
    removeStale(QByteArray::fromStdString(target_));
    const std::string folder = folderOf(target_);
    const std::string name = target_.substr(folder.size());
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", QRandomGenerator::global()->generate());
        temp_ = folder + "." + name.substr(0, 200) + suffix + ".tmp";
        // 0666 less the umask, as any new file; an old file's mode is copied below.
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ >= 0)
        ::flock(fd_, LOCK_EX | LOCK_NB); // ours while it is written: not stale
    if (fd_ < 0) {
        error_ = errno;
        temp_.clear();
        return false;
    }
    if (exists_) {
        ::fchmod(fd_, mode_);
        if (::fchown(fd_, uid_, gid_) != 0 && ::fchown(fd_, uid_t(-1), gid_) != 0) {
            // A group we are not in: the file gets ours, as a new file would.
        }
        copyAttributes(target_, fd_);
    }
    return true;
}

// A regular file written in place, when it can be read: its old bytes are
// kept before it is emptied. True when the way was taken (error_ says whether
// it failed); false: the file cannot be read, open it as before.
bool SafeWriter::openInPlace(qint64 newSize) {
    const int fd = ::open(target_.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    const auto fail = [&](int err) {
        ::close(fd);
        error_ = err;
        return true;
    };
    struct statvfs fs;
    if (newSize >= 0 && ::fstatvfs(fd, &fs) == 0 &&
        double(newSize) > double(st.st_size) + double(fs.f_bavail) * double(fs.f_frsize))
        return fail(ENOSPC);
    try {
        old_.resize(size_t(st.st_size));
    } catch (const std::bad_alloc &) {
        return fail(ENOMEM);
    }
    for (size_t done = 0; done < old_.size();) {
        const ssize_t n = ::pread(fd, old_.data() + done, old_.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : EIO);
        done += size_t(n);
    }
    if (::ftruncate(fd, 0) != 0)
        return fail(errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    keeping_ = true;
    return true;
}

// Puts the old bytes back; when that fails, into a rescue file of the state
// folder, whose name rescuePath() then gives.
void SafeWriter::restoreOld() {
    keeping_ = false;
    const WriteSignalsHeld held;
    const auto writeAll = [&](int fd) {
        for (size_t done = 0; done < old_.size();) {
            const ssize_t n = ::pwrite(fd, old_.data() + done, old_.size() - done, off_t(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += size_t(n);
        }
        return ::fsync(fd) == 0;
    };
    oldIntact_ = fd_ >= 0 && ::ftruncate(fd_, 0) == 0 && writeAll(fd_);
    if (!oldIntact_) {
        const QString folder = stateFolder();
        QDir().mkpath(folder);
        const std::string name = target_.substr(folderOf(target_).size());
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%ld.rescued", long(::time(nullptr)));
        const std::string path = QFile::encodeName(folder).toStdString() + "/" + name.substr(0, 200) + suffix;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 && writeAll(fd))
            rescue_ = path;
        if (fd >= 0)
            ::close(fd);
    }
    old_.clear();
    old_.shrink_to_fit();
}

int SafeWriter::removeStale(const QByteArray &nativePath) {
    const std::string target = finalTarget(nativePath.toStdString());
    const std::string folder = folderOf(target);
    const std::string prefix = "." + target.substr(folder.size()).substr(0, 200) + ".";
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    const time_t now = ::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        // prefix, eight hex digits, ".tmp"
        if (name.size() != prefix.size() + 12 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0 ||
            name.find_first_not_of("0123456789abcdef", prefix.size()) != name.size() - 4)
            continue;
        const std::string path = folder + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime > 10 &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

bool SafeWriter::write(const char *data, qint64 size) {
    const WriteSignalsHeld held;
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error_ = errno;
            if (keeping_)
                restoreOld();
            else if (inPlace_)
                oldIntact_ = false;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool SafeWriter::commit() {
    if (fd_ < 0)
        return false;
    // A FIFO or a device has nothing to sync.
    bool ok = !regular_ || ::fsync(fd_) == 0;
    if (!ok && keeping_) {
        error_ = errno;
        restoreOld();
    } else if (!ok && inPlace_) {
        oldIntact_ = false;
    }
    keeping_ = false;
    old_.clear();
    old_.shrink_to_fit();
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    if (ok && !inPlace_)
        ok = ::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        if (error_ == 0)
            error_ = errno;
        discard();
        return false;
    }
    temp_.clear();
    return true;
}
