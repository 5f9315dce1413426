#pragma once
// Writes a whole file the safest way its place allows. Shared by the
// document save and the settings file.
//
// Atomic: a temporary file in the same folder, synced to disk, then renamed
// over the target, so that a failed write leaves the old file whole. Taken for
// a new file, and for a regular file with one link, that we may write and
// whose owner we can keep, in a folder we can create files in. A symbolic link
// stays a link: the end of its chain is written, and keeps its permissions,
// owner and group.
//
// In place: the file itself is opened for writing and emptied, as the classic
// create-or-empty does. A regular file's old bytes are kept in memory first
// (the open refuses, ENOSPC, when the new size cannot fit the disk's free
// space with them) and written back when the write or the sync fails, or no
// commit comes; if even that fails they go to a rescue file in the state
// folder (rescuePath()). Taken everywhere else: a folder we cannot create files
// in, a file with more than one name (hard links), a file we may not write
// (the open then fails with the system's reason), a file of another owner, a
// FIFO or a device. The open never blocks: a FIFO nobody reads fails at once
// (ENXIO).
#include <QByteArray>

#include <csignal>
#include <string>

// While one lives, the signals a write can raise instead of failing are held
// back on this thread, and one raised meanwhile is dropped: SIGPIPE (a pipe
// whose reader has gone: EPIPE) and SIGXFSZ (past the file-size limit:
// EFBIG). Either would end the program, and the unsaved document with it.
class WriteSignalsHeld {
public:
    WriteSignalsHeld();
    ~WriteSignalsHeld();
    WriteSignalsHeld(const WriteSignalsHeld &) = delete;
    WriteSignalsHeld &operator=(const WriteSignalsHeld &) = delete;

private:
    sigset_t held_, old_, wasPending_;
};

class SafeWriter {
public:
    // Looks at the path (file names are bytes) and chooses the way; creates
    // or changes nothing yet.
    explicit SafeWriter(const QByteArray &nativePath);
    // Without a commit, the temporary file goes and the target is left as it
    // is (in place: as far as it was written).
    ~SafeWriter();
    SafeWriter(const SafeWriter &) = delete;
    SafeWriter &operator=(const SafeWriter &) = delete;

    bool inPlace() const { return inPlace_; }

    // Removes the temporary files an atomic save of this path left behind
    // (a crash or kill -9 mid-save): ".NAME.XXXXXXXX.tmp" beside it, that no
    // program holds locked (a save in progress locks its own) and that are
    // older than a few seconds. Returns how many went. open() calls it.
    static int removeStale(const QByteArray &nativePath);

    // Creates the temporary file, or opens and empties the file itself. False
    // when the file cannot be created, or newSize (when known) cannot fit;
    // error() is the errno.
    bool open(qint64 newSize = -1);
    // False when writing fails.
    bool write(const char *data, qint64 size);
    // Syncs and closes; atomic: renames over the target. False when that
    // fails; the temporary file is then removed.
    bool commit();

    int error() const { return error_; }
    // After a failure: whether the target holds what it held before (an
    // atomic save never touched it; one in place had its old bytes put
    // back). When that failed, where the old bytes are, if anywhere.
    bool oldIntact() const { return oldIntact_; }
    const std::string &rescuePath() const { return rescue_; }

private:
    void discard();
    bool openInPlace(qint64 newSize);
    void restoreOld();

    std::string target_; // the end of the chain of symbolic links
    std::string temp_;    // atomic only, once created
    bool inPlace_ = false;
    bool exists_ = false;
    bool regular_ = true; // what stood there when the way was chosen
    unsigned mode_ = 0, uid_ = 0, gid_ = 0;
    int fd_ = -1;
    int error_ = 0;
    bool keeping_ = false;  // in place: old_ holds the file's old bytes
    std::string old_;
    bool oldIntact_ = true;
    std::string rescue_;
};
