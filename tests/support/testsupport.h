#pragma once
// Small helpers shared by the test suites.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include <sys/resource.h>

namespace testsupport {

// Path of a file in tests/data.
QString dataPath(const QString &name);
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

// The names in a folder, every kind of entry, hidden ones too, sorted.
QStringList namesIn(const QString &folder);

// The inode number of a file (following links); 0 when it has none.
quint64 inodeOf(const QString &path);

// A folder nobody can create files in: by its mode, or, for root, whom the
// mode does not stop, by the immutable flag. Files already in it stay
// writable. Undone on destruction.
class LockedFolder {
public:
    explicit LockedFolder(const QString &path);
    ~LockedFolder();
    LockedFolder(const LockedFolder &) = delete;
    LockedFolder &operator=(const LockedFolder &) = delete;
    // False when neither way works here (the test then skips).
    bool locked() const { return !canCreate(); }

private:
    bool canCreate() const;
    QString path_;
    int fd_ = -1;
    bool immutable_ = false;
};

// Things at a path that are not regular files. Each returns false when it
// cannot be made here.
bool makeFifo(const QString &path);
// A listening Unix socket bound to path; closed and removed on destruction.
class BoundSocket {
public:
    explicit BoundSocket(const QString &path);
    ~BoundSocket();
    BoundSocket(const BoundSocket &) = delete;
    BoundSocket &operator=(const BoundSocket &) = delete;
    bool bound() const { return bound_; }

private:
    QByteArray path_;
    int fd_ = -1;
    bool bound_ = false;
};

// Opens a FIFO for writing and closes it again, again and again from
// `afterMs` on, until destroyed: a reader blocked on the FIFO gets its end of
// file, so that a test of code that blocks fails instead of hanging.
class FifoRelease {
public:
    FifoRelease(const QString &path, int afterMs);
    ~FifoRelease();
    FifoRelease(const FifoRelease &) = delete;
    FifoRelease &operator=(const FifoRelease &) = delete;

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A thing of a kind made at target for a load to meet: "fifo" (no writer,
// released after 2 s), "folder", "socket", "file" (a regular file holding
// "text"), or a path such as "/dev/zero" that target becomes a link to.
// Kept as long as this lives.
class FileOfKind {
public:
    FileOfKind(const QString &kind, const QString &target);
    bool made() const { return made_; }

private:
    std::unique_ptr<BoundSocket> socket_;
    std::unique_ptr<FifoRelease> release_;
    bool made_ = false;
};

// A file holding `old` in one of the kinds of places a save meets, made in
// folder dir: "new" (nothing there yet), "regular", "symlink" (a link to a
// regular file), "hardlink" (a file with a second name), "locked" (a writable
// file in a LockedFolder), "fifo" (no reader).
struct SavePlace {
    SavePlace(const QString &dir, const QString &kind, const QByteArray &old);
    QString path;  // where the save goes
    QString other; // the link's target, or the second name of a hard link
    bool ready = false; // false: this place cannot be made here
    // The names its folder holds (after a save): the file and the other name.
    QStringList names() const;
    std::unique_ptr<LockedFolder> lock;
};

// Runs fn with writes limited to files of `bytes` bytes. SIGXFSZ keeps its
// default action, as in the program: a write past the limit that the program
// does not guard against ends the test.
template <typename Fn> void withFileSizeLimit(rlim_t bytes, Fn fn) {
    struct rlimit saved;
    ::getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
    fn();
    ::setrlimit(RLIMIT_FSIZE, &saved);
}

} // namespace testsupport
