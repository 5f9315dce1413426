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

// Microseconds of each of repeats typed characters at a place of the
// document; the event loop runs between them, as between a user's keys.
std::vector<double> typeAt(TJRE &e, Where where, int repeats) {
    std::vector<double> us;
    for (int i = 0; i < repeats; ++i) {
        const int len = e.GetTextLen();
        e.Select(where == Top ? 0 : where == Middle ? len / 2 : len, 0);
        QElapsedTimer t;
        t.start();
        QTest::keyClick(&e, Qt::Key_A);
        us.push_back(t.nsecsElapsed() / 1000.0);
        QCoreApplication::processEvents();
    }
    return us;
}

double median(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

struct Figures {
    double first[3], during[3], after[3];
};

// Opens the document in a fresh main window and types at the place at once,
// while the layout still runs: the first key, and the median of nine.
void typeRightAfterOpening(const QString &dir, const QString &path, Where where, Figures &out) {
    TForm1 form(dir + QStringLiteral("/Tessarin.ini"));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        std::printf("warning: the window was not shown\n");
    form.JRE->setFocus();
    form.JRE->LoadFile(path);
    const std::vector<double> us = typeAt(*form.JRE, where, 9);
    out.first[where] = us.front();
    out.during[where] = median(us);
}

Figures measure(const QString &dir, int paragraphs) {
    const QString path = dir + QStringLiteral("/doc%1.rtf").arg(paragraphs);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(makeRtf(paragraphs));
    f.close();

    Figures out{};
    // Right after opening: Qt lays the document out step by step from the event loop.
    for (Where w : {Top, Middle, End})
        typeRightAfterOpening(dir, path, w, out);

    TForm1 form(dir + QStringLiteral("/Tessarin.ini"));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        std::printf("warning: the window was not shown\n");
    TJRE &e = *form.JRE;
    e.setFocus();
    QElapsedTimer load;
    load.start();
    e.LoadFile(path);
    const double loadMs = load.nsecsElapsed() / 1e6;
    QElapsedTimer rest;
    rest.start();
    e.document()->documentLayout()->documentSize(); // the rest of the layout, at once
    QCoreApplication::processEvents();
    const double restMs = rest.nsecsElapsed() / 1e6;
    for (Where w : {Top, Middle, End})
        out.after[w] = median(typeAt(e, w, 31));
    std::printf("%7d paragraphs: load %.0f ms, rest of the layout %.0f ms\n", paragraphs, loadMs, restMs);
    for (Where w : {Top, Middle, End})
        std::printf("    %-6s during the layout: first key %9.1f us, median %8.1f us; after it %8.1f us\n",
                    kWhere[w], out.first[w], out.during[w], out.after[w]);
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
        std::printf("    %-6s during the layout: first key %.2f, median %.2f; after it %.2f\n", kWhere[w],
                    big.first[w] / small.first[w], big.during[w] / small.during[w], big.after[w] / small.after[w]);
    return 0;
}
