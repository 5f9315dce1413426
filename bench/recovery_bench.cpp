// What the recovery copy costs while the user types: the longest pause of
// the event loop, the wait of each typed key, and the CPU time of the copies,
// in a plain-text document of each size, measured side by side with the copy
// on (as the program keeps it) and off, in one run.
//
//   recovery_bench [--seconds S] [SIZE...]     SIZE: 10M, 100M, ... (bytes with
//                                              K or M); default 10M 100M; S 60
//
// Typing: bursts of 4 s at ten keys a second at the end of the document, each
// followed by 2.5 s without a key, so that a copy is written after every
// burst (2 s after the typing stops), its most frequent case; S seconds of it.
// A key is due at its time; its wait is from then to the end of its handling,
// so a turn of the event loop that keeps it waiting counts. Prints figures;
// never fails on time.
#include "app/tform1.h"
#include "bench/event_loop.h"
#include "bench/texts.h"
#include "editor/recovery.h"
#include "editor/tjre.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Result {
    double keyP50Ms = 0, keyMaxMs = 0, longestTurnMs = 0;
    int keys = 0;
    recovery::Keeper::Statistics copies;
};

Result type(TForm1 &form, int seconds, bool keepCopies) {
    form.Recovery->SetDelays(keepCopies ? 2000 : 1 << 30, keepCopies ? 30000 : 1 << 30);
    QTextCursor end(form.JRE->document());
    end.movePosition(QTextCursor::End);
    form.JRE->setTextCursor(end);
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    Result r;
    std::vector<double> waits;
    QElapsedTimer clock;
    clock.start();
    qint64 due = 0;
    const qint64 runNs = qint64(seconds) * 1000000000;
    while (clock.nsecsElapsed() < runNs) {
        if (clock.nsecsElapsed() >= due) {
            QTest::keyClick(form.JRE, Qt::Key_A);
            waits.push_back((clock.nsecsElapsed() - due) / 1e6);
            const qint64 inBurst = due % 6500000000;
            due += inBurst + 100000000 < 4000000000 ? 100000000 : 6500000000 - inBurst;
        }
        QElapsedTimer turn;
        turn.start();
        if (dispatcher->processEvents(QEventLoop::AllEvents))
            r.longestTurnMs = std::max(r.longestTurnMs, turn.nsecsElapsed() / 1e6);
        else
            QThread::usleep(200);
    }
    while (form.Recovery->Writing()) // the last copy, for its CPU time
        dispatcher->processEvents(QEventLoop::WaitForMoreEvents);
    std::sort(waits.begin(), waits.end());
    r.keys = int(waits.size());
    r.keyP50Ms = waits[waits.size() / 2];
    r.keyMaxMs = waits.back();
    r.copies = form.Recovery->statistics();
    return r;
}

void print(const char *label, const Result &r, int seconds) {
    const double perMinute = 60.0 / seconds;
    std::printf("  %-9s keys %d: wait median %.2f ms, longest %.2f ms; longest event-loop turn %.2f ms; "
                "copies %d, the editor's pause for each (fork) longest %.2f ms, in all %.1f ms; "
                "CPU of the copies %.2f s a minute\n",
                label, r.keys, r.keyP50Ms, r.keyMaxMs, r.longestTurnMs, r.copies.writes, r.copies.longestPauseNs / 1e6,
                r.copies.pausesNs / 1e6, (r.copies.childCpuUs / 1e6 + r.copies.pausesNs / 1e9) * perMinute);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir dir;
    qputenv("XDG_STATE_HOME", dir.path().toUtf8()); // the copies go to a scratch folder
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int seconds = 60;
    std::vector<qsizetype> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--seconds" && i + 1 < argc) {
            seconds = std::max(1, std::atoi(argv[++i]));
        } else if (const qsizetype n = bench::parseSize(argv[i]); n > 0) {
            sizes.push_back(n);
        } else {
            std::printf("usage: recovery_bench [--seconds S] [SIZE...]   (SIZE: 10M, 100M, ...)\n");
            return 2;
        }
    }
    if (sizes.empty())
        sizes = {qsizetype(10) << 20, qsizetype(100) << 20};

    for (qsizetype bytes : sizes) {
        const QString path = dir.filePath(QStringLiteral("doc.txt"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bench::makeText(bytes)) != bytes)
            return 1;
        f.close();
        std::printf("%lld MB, %d s of typing\n", (long long)(bytes >> 20), seconds);
        for (bool keep : {false, true}) {
            TForm1 form(dir.filePath(QStringLiteral("Tessarin.ini")));
            form.resize(700, 500);
            form.show();
            form.CB2->setChecked(false);
            form.JRE->LoadFile(path);
            bench::settle();
            print(keep ? "copy on" : "copy off", type(form, seconds, keep), seconds);
            form.Recovery->Discard();
        }
    }
    return 0;
}
