#pragma once
// Recovery copies. While the document has unsaved changes, a copy of it is
// kept in the user's state folder, so that a crash, a kill or a power cut
// loses no typing; the next start offers it back. The user's own file is
// never touched.
//
// The files of one running program, in folder():
//   <id>.lock      locked (flock) for as long as the program keeps a copy
//   <id>.recovery  the copy: a short header, then the document as RTF
//   <id>.tmp       a copy being written, renamed over the copy when whole
// <id> is the process id, the start time and a count, so two programs running at
// once never share a copy, and a copy whose lock nobody holds belongs to a
// program that is no longer running (the kernel drops the lock of a dead
// process, whatever killed it).
//
// A copy is written by a child process forked for it: the child sees the
// document as it was at the fork, whatever the editor does meanwhile, so the
// editor pauses only for the fork, and the copy is the same RTF a save writes.
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include "editor/plaintext.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <sys/types.h>

class QSocketNotifier;
class QTimer;
class TJRE;

namespace recovery {

// $XDG_STATE_HOME/tessarin, or ~/.local/state/tessarin.
QString folder();

struct Copy {
    bool plainText = false; // the editor mode
    plaintext::Encoding encoding = plaintext::Encoding::Cp1251; // of plain-text saves
    QString name;           // the document name, empty when it has none
    QByteArray rtf;         // the document, as RTF
};

// The bytes of a copy file: a header (a magic line, the mode, the encoding, the name, the
// RTF's size, and the SHA-256 of all that and the RTF), an empty line, the RTF.
QByteArray encode(const Copy &copy);
QByteArray encodeHeader(const Copy &copy); // the file's bytes before the RTF
// The copy the bytes hold; nothing when they are not one whole, intact copy.
std::optional<Copy> decode(const QByteArray &bytes);

// A copy left by a program that no longer runs, locked for this program
// while the object lives; its files stay unless removed or set aside.
class Orphan {
public:
    Orphan(QString id, int lockFd);
    ~Orphan();
    Orphan(const Orphan &) = delete;
    Orphan &operator=(const Orphan &) = delete;

    QString path() const; // the copy
    // The copy; nothing, with damaged set, when it is broken or partial;
    // nothing, with damaged clear, when it is gone.
    std::optional<Copy> read(bool *damaged) const;
    void remove();   // the copy and its lock go
    // A damaged copy is renamed to <id>.damaged, where it is offered no more;
    // returns that name.
    QString setAside();

private:
    QString id_;
    int lockFd_;
};

// The copies in folder() whose programs no longer run, newest first, each
// locked for this program. Stale locks and half-written copies of programs
// gone are cleared away.
std::vector<std::unique_ptr<Orphan>> claimOrphans();

// Keeps the copy of one editor's document.
class Keeper : public QObject {
    Q_OBJECT
public:
    // documentName: the name to record with each copy.
    Keeper(TJRE *editor, std::function<QString()> documentName, QObject *parent = nullptr);
    ~Keeper() override; // a write in progress is stopped; the copy stays

    // The document, its mode or its name changed: a copy is written once
    // changes have stopped for a moment, and at least every so often while
    // they go on. Nothing while the document is not modified.
    void Changed();
    // The copy goes, and any write in progress: the document was saved,
    // emptied, replaced or closed.
    void Discard();
    // The orphan's copy, just loaded into the editor, is this program's copy.
    void Adopt(Orphan &orphan);

    // The pause after the last change, and the longest a change waits.
    void SetDelays(int quietMs, int longestMs);
    QString CopyPath() const;
    bool Writing() const { return child_ > 0; }

    struct Statistics {
        int writes = 0;            // copies written
        qint64 longestPauseNs = 0; // the longest the editor stopped for a write (the fork)
        qint64 pausesNs = 0;       // all of them
        qint64 childCpuUs = 0;     // CPU time of the writing processes
    };
    const Statistics &statistics() const { return stats_; }

signals:
    void Written(bool ok); // a write has ended

private:
    void writeWhenDue();
    void startWrite();
    void reap();
    void stopChild();
    bool lock();
    void unlock();

    TJRE *editor_;
    std::function<QString()> documentName_;
    QString id_;
    int lockFd_ = -1;
    pid_t child_ = -1;
    int childPipe_ = -1;
    QSocketNotifier *childDone_ = nullptr;
    QTimer *quiet_ = nullptr;   // changes have stopped
    int quietMs_ = 0;
    QTimer *longest_ = nullptr; // changes have gone on this long
    QTimer *hung_ = nullptr;    // a write has run far too long
    bool again_ = false;        // changed while a write ran
    QElapsedTimer sinceWrite_;  // since the last write began
    qint64 lastWriteMs_ = 0;    // how long it took
    Statistics stats_;
};

} // namespace recovery
