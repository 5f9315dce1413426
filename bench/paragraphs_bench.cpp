// Typing one character at the top, the middle and the end of a justified RTF
// document of many short paragraphs, in the main window in RTF mode: right
// after opening, while the layout still runs in the background, and after it
// has finished; 200,000 paragraphs against 2,000, as ratios. One keystroke is
// timed as the key event takes it (the edit, its layout and the change
// handler), without the background layout's own steps. Prints figures; never
// fails on time.
#include "app/tform1.h"
#include "editor/tjre.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray makeRtf(int paragraphs) {
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\viewkind4\\uc1\\f0\\fs24 ";
    for (int i = 0; i < paragraphs; ++i)
        out += "\\pard\\qj Short paragraph number " + QByteArray::number(i) + ", justified.\\par\n";
    out += "}";
    return out;
}

enum Where { Top, Middle, End };
const char *const kWhere[] = {"top", "middle", "end"};

// Median microseconds of one typed character at a place of the document.
double typeAt(TJRE &e, Where where, int repeats) {
    std::vector<double> us;
    for (int i = 0; i < repeats; ++i) {
        const int len = e.GetTextLen();
        e.Select(where == Top ? 0 : where == Middle ? len / 2 : len, 0);
        QElapsedTimer t;
        t.start();
        QTest::keyClick(&e, Qt::Key_A);
        us.push_back(t.nsecsElapsed() / 1000.0);
    }
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

struct Figures {
    double during[3], after[3];
};

Figures measure(const QString &dir, int paragraphs) {
    const QString path = dir + QStringLiteral("/doc%1.rtf").arg(paragraphs);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(makeRtf(paragraphs));
    f.close();

    TForm1 form(dir + QStringLiteral("/Tessarin.ini"));
    form.show();
    QTest::qWaitForWindowExposed(&form);
    TJRE &e = *form.JRE;
    e.setFocus();
    Figures out{};
    QElapsedTimer load;
    load.start();
    e.LoadFile(path);
    const double loadMs = load.nsecsElapsed() / 1e6;
    // Right after opening: Qt lays the document out step by step from the event loop.
    for (Where w : {Top, Middle, End})
        out.during[w] = typeAt(e, w, 5);
    QElapsedTimer rest;
    rest.start();
    e.document()->documentLayout()->documentSize(); // the rest of the layout, at once
    QCoreApplication::processEvents();
    const double restMs = rest.nsecsElapsed() / 1e6;
    for (Where w : {Top, Middle, End})
        out.after[w] = typeAt(e, w, 31);
    std::printf("%7d paragraphs: load %.0f ms, rest of the layout %.0f ms\n", paragraphs, loadMs, restMs);
    for (Where w : {Top, Middle, End})
        std::printf("    %-6s during layout %8.1f us, after %8.1f us\n", kWhere[w], out.during[w], out.after[w]);
    return out;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const Figures small = measure(dir.path(), 2000);
    const Figures big = measure(dir.path(), 200000);
    std::printf("typing cost, 200,000 / 2,000 paragraphs:\n");
    for (Where w : {Top, Middle, End})
        std::printf("    %-6s during layout %.2f, after %.2f\n", kWhere[w], big.during[w] / small.during[w],
                    big.after[w] / small.after[w]);
    return 0;
}
