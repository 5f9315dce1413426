// Loading a 10 MB plain-text file into the editor, and the cost of typing one
// character (the control's own work and its change notification) in a 10 KB
// and a 10 MB document, in the main window. The change handler's share is
// timed on its own too. Prints figures; never fails on time.
#include "app/tform1.h"
#include "editor/tjre.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

QByteArray makeText(qsizetype bytes) {
    const QByteArray line = QByteArray("Съешь же ещё этих мягких французских булок, да выпей чаю. 0123456789\r\n");
    QByteArray out;
    out.reserve(bytes + line.size());
    while (out.size() < bytes)
        out += line;
    out.truncate(bytes);
    return out;
}

// Median microseconds of one typed character at the middle of the document.
double typeOne(TJRE &e, int repeats) {
    int changes = 0;
    QObject::connect(&e, &TJRE::Change, [&] { ++changes; });
    e.Select(e.GetTextLen() / 2, 0);
    std::vector<double> us;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(&e, Qt::Key_A);
        QCoreApplication::processEvents();
        us.push_back(t.nsecsElapsed() / 1000.0);
    }
    std::sort(us.begin(), us.end());
    if (changes < repeats)
        std::printf("warning: %d change notifications for %d keys\n", changes, repeats);
    return us[us.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    double perKey[2] = {0, 0};
    double perChange[2] = {0, 0};
    const qsizetype sizes[2] = {10 * 1024, 10 * 1024 * 1024};
    for (int k = 0; k < 2; ++k) {
        const QString path = dir.filePath(QStringLiteral("doc%1.txt").arg(k));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(makeText(sizes[k]));
        f.close();

        TForm1 form(dir.filePath(QStringLiteral("Tessarin.ini")));
        form.show();
        TJRE &e = *form.JRE;
        e.SetPlainText(true);
        QElapsedTimer t;
        t.start();
        e.LoadFile(path);
        const double loadMs = t.nsecsElapsed() / 1e6;
        e.LineFromChar(e.GetTextLen()); // lay everything out once, as scrolling would
        const double layoutMs = t.nsecsElapsed() / 1e6 - loadMs;
        e.setFocus();
        perKey[k] = typeOne(e, 200);
        QElapsedTimer c;
        c.start();
        for (int i = 0; i < 1000; ++i)
            form.JREChange();
        perChange[k] = c.nsecsElapsed() / 1000.0 / 1000;
        std::printf("%9lld bytes: load %.1f ms, full layout %.1f ms, one typed character %.1f us, "
                    "of which the change handler %.2f us\n",
                    static_cast<long long>(sizes[k]), loadMs, layoutMs, perKey[k], perChange[k]);
    }
    std::printf("typing cost 10 MB / 10 KB: %.2f; change handler 10 MB / 10 KB: %.2f\n", perKey[1] / perKey[0],
                perChange[1] / perChange[0]);
    return 0;
}
