#include "editor/recovery.h"

#include "editor/docio.h"
#include "editor/rtf/writer.h"
#include "editor/tjre.h"
#include "platform/safewrite.h"
#include "platform/settingspath.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace recovery {
namespace {

const QByteArray kMagic = QByteArrayLiteral("TESSARIN-RECOVERY 1");
const char *const kEncodings[] = {"cp1251", "utf-8", "utf-8-bom"}; // in the order of plaintext::Encoding
constexpr int kQuietMs = 2000;    // a copy this long after the typing stops...
constexpr int kLongestMs = 30000; // ...and at least this often while it goes on
constexpr int kHungMs = 300000;   // a write still running after this is stopped

QByteArray native(const QString &path) { return QFile::encodeName(path); }

// Opens (creating) a lock file and locks it without waiting: -1 when another
// program holds it or it cannot be made.
int tryLock(const QString &path) {
    const int fd = ::open(native(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool writeAll(int fd, const char *data, qint64 size) {
    const WriteSignalsHeld held; // past the file-size limit: EFBIG, not the end of the program
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// Writes the copy to temp, syncs it, and renames it over path: the copy is
// either the old one or the new one, whole.
bool writeAtomically(const QByteArray &temp, const QByteArray &path, const Copy &copy) {
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray header = encodeHeader(copy);
    const bool written = writeAll(fd, header.constData(), header.size()) &&
                         writeAll(fd, copy.rtf.constData(), copy.rtf.size()) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temp.constData(), path.constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    const QByteArray dir = path.left(path.lastIndexOf('/') + 1);
    const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

// Of the header's lines before it and the RTF: any change to either shows.
QByteArray checksum(QByteArrayView header, QByteArrayView rtf) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(header);
    hash.addData(rtf);
    return hash.result().toHex();
}

// The keepers made by this process so far: part of each one's id.
int keepers() {
    static int made = 0;
    return ++made;
}

// A file of the program id in the folder.
QString fileOf(const QString &id, const char *suffix) { return folder() + u'/' + id + QLatin1String(suffix); }

} // namespace

QString folder() { return stateFolder(); }

// ---- the file ------------------------------------------------------------------

QByteArray encodeHeader(const Copy &copy) {
    QByteArray out = kMagic;
    out += "\nmode ";
    out += copy.plainText ? "text" : "rtf";
    out += "\nencoding ";
    out += kEncodings[int(copy.encoding)];
    out += "\nname ";
    out += docio::encodePath(copy.name).toPercentEncoding();
    out += "\nsize ";
    out += QByteArray::number(copy.rtf.size());
    out += "\nsha256 ";
    out += checksum(out, copy.rtf);
    out += "\n\n";
    return out;
}

QByteArray encode(const Copy &copy) { return encodeHeader(copy) + copy.rtf; }

std::optional<Copy> decode(const QByteArray &bytes) {
    const qsizetype end = bytes.indexOf("\n\n");
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> lines = bytes.left(end).split('\n');
    const char *const keys[] = {"mode ", "encoding ", "name ", "size ", "sha256 "};
    if (lines.size() != 6 || lines[0] != kMagic)
        return std::nullopt;
    QByteArray values[5];
    for (int i = 0; i < 5; ++i) {
        if (!lines[i + 1].startsWith(keys[i]))
            return std::nullopt;
        values[i] = lines[i + 1].mid(qsizetype(std::strlen(keys[i])));
    }
    Copy copy;
    copy.rtf = bytes.mid(end + 2);
    bool sized = false;
    const auto encoding = std::find(std::begin(kEncodings), std::end(kEncodings), values[1]);
    if ((values[0] != "rtf" && values[0] != "text") || encoding == std::end(kEncodings) || values[2].contains(' ') ||
        values[3].toLongLong(&sized) != copy.rtf.size() || !sized ||
        values[4] != checksum(bytes.left(end - values[4].size()), copy.rtf))
        return std::nullopt;
    copy.plainText = values[0] == "text";
    copy.encoding = plaintext::Encoding(encoding - std::begin(kEncodings));
    copy.name = docio::decodePath(QByteArray::fromPercentEncoding(values[2]));
    return copy;
}

// ---- copies of programs gone --------------------------------------------------

Orphan::Orphan(QString id, int lockFd) : id_(std::move(id)), lockFd_(lockFd) {}

Orphan::~Orphan() {
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

QString Orphan::path() const { return fileOf(id_, ".recovery"); }

std::optional<Copy> Orphan::read(bool *damaged) const {
    *damaged = false;
    QFile f(path());
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt; // gone: its program removed it after all
    std::optional<Copy> copy = decode(f.readAll());
    *damaged = !copy;
    return copy;
}

void Orphan::remove() {
    for (const char *suffix : {".recovery", ".tmp", ".lock"})
        ::unlink(native(fileOf(id_, suffix)).constData());
}

QString Orphan::setAside() {
    const QString aside = fileOf(id_, ".damaged");
    ::rename(native(path()).constData(), native(aside).constData());
    ::unlink(native(fileOf(id_, ".lock")).constData());
    return aside;
}

std::vector<std::unique_ptr<Orphan>> claimOrphans() {
    std::vector<std::unique_ptr<Orphan>> orphans;
    const QDir dir(folder());
    for (const QFileInfo &copy : dir.entryInfoList({QStringLiteral("*.recovery")}, QDir::Files, QDir::Time)) {
        const int fd = tryLock(dir.filePath(copy.completeBaseName() + QStringLiteral(".lock")));
        if (fd >= 0) // else its program runs
            orphans.push_back(std::make_unique<Orphan>(copy.completeBaseName(), fd));
    }
    // Locks without a copy, and half-written copies, of programs gone.
    for (const QFileInfo &lock : dir.entryInfoList({QStringLiteral("*.lock")}, QDir::Files)) {
        if (dir.exists(lock.completeBaseName() + QStringLiteral(".recovery")))
            continue;
        if (const int fd = tryLock(lock.filePath()); fd >= 0)
            Orphan(lock.completeBaseName(), fd).remove();
    }
    return orphans;
}

// ---- this program's copy ------------------------------------------------------

Keeper::Keeper(TJRE *editor, std::function<QString()> documentName, QObject *parent)
    : QObject(parent), editor_(editor), documentName_(std::move(documentName)),
      id_(QStringLiteral("%1-%2-%3").arg(::getpid()).arg(QDateTime::currentMSecsSinceEpoch()).arg(keepers())) {
    quiet_ = new QTimer(this);
    quiet_->setSingleShot(true);
    longest_ = new QTimer(this);
    longest_->setSingleShot(true);
    SetDelays(kQuietMs, kLongestMs);
    connect(quiet_, &QTimer::timeout, this, &Keeper::writeWhenDue);
    connect(longest_, &QTimer::timeout, this, &Keeper::writeWhenDue);
    hung_ = new QTimer(this);
    hung_->setSingleShot(true);
    hung_->setInterval(kHungMs);
    connect(hung_, &QTimer::timeout, this, [this] {
        stopChild(); // stuck: tried again later
        longest_->start();
    });
    connect(editor_, &QTextEdit::textChanged, this, &Keeper::Changed);
    connect(editor_, &TJRE::ModifiedChanged, this, [this](bool modified) {
        if (modified)
            Changed();
        else
            Discard();
    });
}

Keeper::~Keeper() {
    stopChild();
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

void Keeper::SetDelays(int quietMs, int longestMs) {
    quietMs_ = quietMs;
    longest_->setInterval(longestMs);
}

QString Keeper::CopyPath() const { return fileOf(id_, ".recovery"); }

void Keeper::Changed() {
    if (!editor_->IsModified())
        return;
    if (child_ > 0) {
        again_ = true; // written once the write under way ends
        return;
    }
    quiet_->start(quietMs_);
    if (!longest_->isActive())
        longest_->start();
}

void Keeper::Discard() {
    quiet_->stop();
    longest_->stop();
    again_ = false;
    stopChild();
    unlock();
}

void Keeper::Adopt(Orphan &orphan) {
    Discard();
    if (!lock() || ::rename(native(orphan.path()).constData(), native(CopyPath()).constData()) != 0)
        return Changed(); // the copy is written anew
    orphan.remove();
    quiet_->stop();
    longest_->stop();
}

bool Keeper::lock() {
    if (lockFd_ >= 0)
        return true;
    if (!QDir().mkpath(folder()))
        return false;
    ::chmod(native(folder()).constData(), 0700); // documents are nobody else's business
    lockFd_ = tryLock(fileOf(id_, ".lock"));
    return lockFd_ >= 0;
}

// The copy goes first, then its lock: a lock without a copy is nothing to
// anyone.
void Keeper::unlock() {
    if (lockFd_ < 0)
        return;
    for (const char *suffix : {".recovery", ".tmp", ".lock"})
        ::unlink(native(fileOf(id_, suffix)).constData());
    ::close(lockFd_);
    lockFd_ = -1;
}

// A copy of a large document takes a while (about a second of CPU for 10 MB
// of text): the next one waits until three times that has passed since, so
// that copies never take more than a quarter of a processor, and at most 30 s.
void Keeper::writeWhenDue() {
    const qint64 rest = std::min(4 * lastWriteMs_, qint64(longest_->interval())) - sinceWrite_.elapsed();
    if (sinceWrite_.isValid() && rest > 0) {
        quiet_->stop();
        longest_->stop();
        quiet_->start(int(rest));
        return;
    }
    startWrite();
}

void Keeper::startWrite() {
    quiet_->stop();
    longest_->stop();
    if (child_ > 0) {
        again_ = true;
        return;
    }
    if (!editor_->IsModified() || !lock())
        return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    const Copy header{editor_->PlainText(), editor_->Encoding(), documentName_(), {}};
    const QByteArray temp = native(fileOf(id_, ".tmp"));
    const QByteArray path = native(CopyPath());

    QElapsedTimer pause;
    pause.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The child: the document as it was at the fork. It must not return
        // into the program (no event loop, no exit handlers): _exit only.
        ::close(fds[0]);
        ::setpriority(PRIO_PROCESS, 0, 10); // typing in the editor comes first
        Copy copy = header;
        copy.rtf = rtf::write(*editor_->document());
        ::_exit(writeAtomically(temp, path, copy) ? 0 : 1);
    }
    const qint64 ns = pause.nsecsElapsed();
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        longest_->start(); // tried again later
        return;
    }
    sinceWrite_.start();
    stats_.pausesNs += ns;
    stats_.longestPauseNs = std::max(stats_.longestPauseNs, ns);
    child_ = pid;
    childPipe_ = fds[0];
    // The pipe's other end closes when the child ends, however it ends.
    childDone_ = new QSocketNotifier(childPipe_, QSocketNotifier::Read, this);
    connect(childDone_, &QSocketNotifier::activated, this, &Keeper::reap);
    hung_->start();
}

void Keeper::reap() {
    int status = 0;
    struct rusage usage {};
    while (::wait4(child_, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    stats_.childCpuUs += qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 + usage.ru_utime.tv_usec +
                         usage.ru_stime.tv_usec;
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    lastWriteMs_ = sinceWrite_.elapsed();
    stats_.writes += ok;
    hung_->stop();
    delete childDone_;
    childDone_ = nullptr;
    ::close(childPipe_);
    child_ = -1;
    if (again_) {
        again_ = false;
        Changed();
    } else if (!ok) {
        longest_->start(); // a failed write is tried again later
    }
    emit Written(ok);
}

// A write under way is stopped, and what it left half-written goes.
void Keeper::stopChild() {
    hung_->stop();
    if (child_ <= 0)
        return;
    ::kill(child_, SIGKILL);
    while (::waitpid(child_, nullptr, 0) < 0 && errno == EINTR) {
    }
    delete childDone_;
    childDone_ = nullptr;
    ::close(childPipe_);
    child_ = -1;
    ::unlink(native(fileOf(id_, ".tmp")).constData());
}

} // namespace recovery
