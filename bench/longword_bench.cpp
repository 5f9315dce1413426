// One paragraph that is a single word with no place to break it, opened in
// the main window: the time to open it and let the layout settle, Ctrl+End,
// one key typed at its end, and the memory the process holds against the
// file's size.
//
//   longword_bench [MEGABYTES...]      (default 1 50)
//
// Measures and prints; never fails on time.
#include "app/tform1.h"
#include "bench/event_loop.h"
#include "editor/tjre.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

double timed(const std::function<void()> &step) {
    QElapsedTimer t;
    t.start();
    step();
    return t.nsecsElapsed() / 1e6;
}

void measure(const QString &dir, int megabytes) {
    const QString path = dir + QStringLiteral("/word%1.txt").arg(megabytes);
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        const QByteArray letters = "abcdefghijklmnopqrstuvwxyz";
        QByteArray word;
        word.reserve(qsizetype(megabytes) << 20);
        while (word.size() < (qsizetype(megabytes) << 20))
            word += letters;
        f.write(word);
    }
    const long before = bench::residentMegabytes();
    TForm1 form(dir + QStringLiteral("/Tessarin.ini"));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        std::printf("warning: the window was not shown\n");
    TJRE &e = *form.JRE;
    e.setFocus();
    double openMs = timed([&] { e.LoadFile(path); });
    const bench::Settled idle = bench::settle(120000);
    openMs += idle.busyMs;
    const double endMs = timed([&] {
        QTest::keyClick(&e, Qt::Key_End, Qt::ControlModifier);
        QCoreApplication::processEvents();
    });
    const double typeMs = timed([&] {
        QTest::keyClick(&e, Qt::Key_A);
        QCoreApplication::processEvents();
    });
    const bench::Settled after = bench::settle(120000);
    const long rss = bench::residentMegabytes();
    std::printf("%4d MB word: open to idle %9.0f ms%s, Ctrl+End %8.1f ms, a key at the end %8.1f ms "
                "(+ %.0f ms to idle), memory %ld -> %ld MB (%.1fx the file)\n",
                megabytes, openMs, idle.settled ? "" : " (not idle at 120 s)", endMs, typeMs, after.busyMs, before,
                rss, double(rss - before) / megabytes);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(std::atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {1, 50};
    for (int mb : sizes)
        measure(dir.path(), mb);
    return 0;
}
