// One paragraph that is a single word with no place to break it, opened in
// the main window, beside ordinary lines of words of the same size: the time
// to open it until it is drawn and until the layout settles, Ctrl+End, one
// key typed at its end, and the memory the document adds to the program's
// (its window shown, empty) against the file's size.
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

// words: the same letters as ordinary text, words of 7 in lines of 70.
void measure(const QString &dir, int megabytes, bool words) {
    const QString path = dir + QStringLiteral("/%1%2.txt").arg(words ? "text" : "word").arg(megabytes);
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        const QByteArray letters = words ? "abcdef ghijkl mnopqr stuvwx yzabcd efghij klmnop qrstuv wxyzab cdefgh\r\n"
                                         : "abcdefghijklmnopqrstuvwxyz";
        QByteArray word;
        word.reserve(qsizetype(megabytes) << 20);
        while (word.size() < (qsizetype(megabytes) << 20))
            word += letters;
        f.write(word);
    }
    TForm1 form(dir + QStringLiteral("/Tessarin.ini"));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        std::printf("warning: the window was not shown\n");
    TJRE &e = *form.JRE;
    e.setFocus();
    bench::settle(120000);
    const long before = bench::residentMegabytes(); // the program's own: its window, fonts and dictionaries
    const double loadMs = timed([&] { e.LoadFile(path); });
    const double shownMs = loadMs + timed([] { QCoreApplication::processEvents(); }); // drawn
    double openMs = shownMs;
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
    std::printf("%4d MB %s: read %7.0f ms, shown %7.0f ms, idle %7.0f ms%s, Ctrl+End %7.1f ms, a key at the end %7.1f ms "
                "(+ %.0f ms to idle), memory %ld -> %ld MB (%.1fx the file)\n",
                megabytes, words ? "text" : "word", loadMs, shownMs, openMs, idle.settled ? "" : " (not idle at 120 s)", endMs,
                typeMs, after.busyMs, before, rss, double(rss - before) / megabytes);
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
        for (bool words : {false, true})
            measure(dir.path(), mb, words);
    return 0;
}
