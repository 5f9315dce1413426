// Running the event loop of a benchmark until nothing is pending.
#pragma once

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace bench {

struct Settled {
    bool settled;  // false: stopped at the cap
    double busyMs; // from the call to the end of the last event handled
};

// Processes events until none has come for quietMs (longer than the 10 ms
// step of a layout that runs from a timer, shorter than the caret's blink),
// or capMs have passed.
inline Settled settle(qint64 capMs = 60000, qint64 quietMs = 50) {
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    QElapsedTimer total, quiet;
    total.start();
    quiet.start();
    double busyMs = 0;
    while (quiet.elapsed() < quietMs) {
        if (total.elapsed() > capMs)
            return {false, total.nsecsElapsed() / 1e6};
        if (dispatcher->processEvents(QEventLoop::AllEvents)) {
            busyMs = total.nsecsElapsed() / 1e6;
            quiet.restart();
        } else {
            QThread::msleep(1);
        }
    }
    return {true, busyMs};
}

// The process's resident memory now, in MB (-1 when unknown).
inline long residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong() / 1024;
    return -1;
}

} // namespace bench
