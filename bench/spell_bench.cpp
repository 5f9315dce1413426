// The spelling check's cost beside the same work without it, measured side
// by side in one run:
//
//   spell_bench [--text PATH] [--rtf PATH] [--typing MB] [--rounds N]
//
// 1. One screen of Russian prose in the shown main window: the check of what
//    is on screen and a screen above and below it, the first time (no word
//    known, the dictionaries just loaded) and for the same words in another
//    order (words known, paragraphs not); and a paint of the screen, check on
//    against off. Also the dictionaries' load, which runs on a thread of its
//    own at start-up.
// 2. Opening each document given (a plain text with --text, read as plain
//    text; an RTF with --rtf; bench/make_docs.py makes them) in a fresh shown
//    main window until its event loop is quiet, the check off and on in
//    turn, N rounds each (default 2) after one that is not counted: the
//    medians of wall and CPU time and their ratios; then Ctrl+End until the
//    loop is quiet again.
// 3. Typing words ("малоко превет мир и дом ...") at the end of a plain text of
//    MB megabytes (default 10) in two windows side by side, the check off in
//    one and on in the other, a key into each in turn (100 each): the median
//    key (the key and one turn of the event loop, as typing_bench times it)
//    and the key with all it brings (until the loop is quiet), on against off.
// Prints figures; never fails on time.
#include "app/tform1.h"
#include "bench/event_loop.h"
#include "bench/texts.h"
#include "editor/tjre.h"
#include "spell/spellcheck.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

using spell::SpellCheck;

namespace {

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

double msSince(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

// The process's CPU time so far, in ms: less moved than wall time by other
// programs on a shared machine.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

std::unique_ptr<TForm1> shownForm(const QString &dir, bool spelling) {
    auto form = std::make_unique<TForm1>(dir + QStringLiteral("/Tessarin.ini"));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        std::printf("warning: the window was not shown\n");
    form->JRE->SetSpelling(spelling);
    form->JRE->setFocus();
    bench::settle(5000);
    return form;
}

bool settleCheck(TJRE *jre) {
    return QTest::qWaitFor([jre] { return jre->SpellChecker()->settled(); }, 60000);
}

// Russian prose in lines of several sentences, with a misspelt word now and then.
QString prose(int lines, quint32 seed) {
    static const QStringList kWords =
        QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей чаю. В чащах юга жил бы цитрус? "
                       "Да, но фальшивый экземпляр! Широкая электрификация южных губерний даст мощный толчок "
                       "подъёму сельского хозяйства. Документ сохранён в папке «Мои документы», строка номер "
                       "сорок два. Редактор открыл файл за одну секунду, и курсор мигает в начале текста. "
                       "Осенью в городе идут дожди, а по вечерам на набережной зажигаются фонари. малоко превет")
            .split(u' ');
    QRandomGenerator rng(seed);
    QStringList out;
    for (int i = 0; i < lines; ++i) {
        QStringList line;
        for (int n = 20 + rng.bounded(60); n > 0; --n)
            line << kWords[rng.bounded(int(kWords.size()))];
        out << line.join(u' ');
    }
    return out.join(QStringLiteral("\r\n"));
}

int wordsOf(TJRE *jre) {
    int n = 0;
    for (QTextBlock b = jre->document()->begin(); b.isValid(); b = b.next())
        n += int(spell::words(b.text()).size());
    return n;
}

void screen(const QString &dir) {
    std::printf("\n1. One screen of Russian prose (the view and a screen above and below it)\n");
    QElapsedTimer load;
    load.start();
    SpellCheck::reloadDictionaries();
    SpellCheck::dictionaries(true);
    std::printf("   the dictionaries' load (on its own thread at start-up): %.0f ms\n", msSince(load));
    auto form = shownForm(dir, false);
    TJRE *jre = form->JRE;
    // As many paragraphs as the check looks at from the top: the view and a
    // screen below it (the document is cut there).
    jre->LoadBytes(prose(400, 1).toUtf8(), true);
    bench::settle(10000);
    const QPoint below(0, 2 * jre->viewport()->height());
    const int blocks = jre->cursorForPosition(below).block().blockNumber() + 1;
    const auto fill = [&](quint32 seed) {
        jre->SetSpelling(false);
        jre->LoadBytes(prose(blocks, seed).toUtf8(), true);
        bench::settle(10000);
    };
    fill(2);
    QElapsedTimer t;
    t.start();
    jre->SetSpelling(true);
    settleCheck(jre);
    const double cold = msSince(t);
    const int words = wordsOf(jre);
    fill(3);
    t.restart();
    jre->SetSpelling(true);
    settleCheck(jre);
    const double warm = msSince(t);
    std::printf("   %d paragraphs, %d words: first check %.1f ms (%.1f us a word), the same words again %.1f ms\n",
                blocks, words, cold, 1000 * cold / std::max(1, words), warm);
    std::vector<double> paint[2];
    for (int round = 0; round < 20; ++round)
        for (bool on : {false, true}) {
            jre->SetSpelling(on);
            settleCheck(jre);
            QElapsedTimer p;
            p.start();
            jre->viewport()->repaint();
            paint[on].push_back(msSince(p));
        }
    std::printf("   a paint of the screen: %.2f ms on, %.2f ms off, ratio %.2f\n", median(paint[1]), median(paint[0]),
                median(paint[1]) / median(paint[0]));
}

void opening(const QString &dir, const QString &path, bool plain, int rounds) {
    std::printf("\n2. Opening %s until the event loop is quiet\n", qPrintable(path));
    std::vector<double> ms[2], cpu[2], end[2];
    for (int round = -1; round < rounds; ++round) // round -1 warms the caches up and is not counted
        for (bool on : {false, true}) {
            auto form = shownForm(dir, on);
            form->JRE->SetPlainText(plain);
            QElapsedTimer t;
            t.start();
            const double cpu0 = cpuMs();
            form->JRE->LoadFile(path);
            const double loadMs = msSince(t);
            const bench::Settled settled = bench::settle(300000);
            const double cpuUsed = cpuMs() - cpu0;
            // Then to the end of the document, and the check of what shows there.
            QElapsedTimer e;
            e.start();
            QTest::keyClick(form->JRE, Qt::Key_End, Qt::ControlModifier);
            const double endMs = msSince(e) + bench::settle(60000).busyMs;
            form->JRE->SetModified(false);
            if (round < 0)
                continue;
            ms[on].push_back(loadMs + settled.busyMs);
            cpu[on].push_back(cpuUsed);
            end[on].push_back(endMs);
            std::printf("   check %-3s load %.0f ms, then the event loop %s %.0f ms: %.0f ms (CPU %.0f ms); Ctrl+End %.0f ms\n",
                        on ? "on" : "off", loadMs, settled.settled ? "ran for" : "DID NOT SETTLE in", settled.busyMs,
                        loadMs + settled.busyMs, cpuUsed, endMs);
            std::fflush(stdout);
        }
    std::printf("   median: %.0f ms on, %.0f ms off, ratio %.3f; CPU %.0f ms on, %.0f ms off, ratio %.3f; "
                "Ctrl+End %.0f ms on, %.0f ms off\n",
                median(ms[1]), median(ms[0]), median(ms[1]) / median(ms[0]), median(cpu[1]), median(cpu[0]),
                median(cpu[1]) / median(cpu[0]), median(end[1]), median(end[0]));
}

void typing(const QString &dir, int megabytes) {
    std::printf("\n3. Typing words at the end of %d MB of plain text\n", megabytes);
    const QString path = dir + QStringLiteral("/typing.txt");
    {
        QFile f(path);
        const QByteArray text = bench::makeText(qsizetype(megabytes) * 1024 * 1024);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            std::printf("warning: could not write %s\n", qPrintable(path));
    }
    // Two windows side by side, the check off in one and on in the other,
    // each key typed into one and then the other.
    std::unique_ptr<TForm1> forms[2];
    for (bool on : {false, true}) {
        forms[on] = shownForm(dir, on);
        forms[on]->move(on ? 760 : 20, 40);
        forms[on]->JRE->SetPlainText(true);
        forms[on]->JRE->LoadFile(path);
    }
    bench::settle(120000);
    const QString words = QStringLiteral("малоко превет мир и дом ");
    std::vector<double> key[2], all[2];
    for (int typed = 0; typed < 200; ++typed)
        for (bool on : {typed % 2 == 0, typed % 2 != 0}) {
            TJRE *jre = forms[on]->JRE;
            const QChar ch = words[(typed / 2) % words.size()];
            jre->Select(jre->GetTextLen(), 0);
            QElapsedTimer t;
            t.start();
            QTest::sendKeyEvent(QTest::Click, jre, ch == u' ' ? Qt::Key_Space : Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
            QCoreApplication::processEvents();
            const double keyUs = t.nsecsElapsed() / 1000.0;
            key[on].push_back(keyUs);
            all[on].push_back(keyUs + bench::settle(5000, 20).busyMs * 1000);
        }
    std::printf("   a key and one turn of the loop: %.0f us on, %.0f us off, ratio %.3f\n", median(key[1]),
                median(key[0]), median(key[1]) / median(key[0]));
    std::printf("   a key and all it brings:        %.0f us on, %.0f us off, ratio %.3f\n", median(all[1]),
                median(all[0]), median(all[1]) / median(all[0]));
    for (auto &form : forms)
        form->JRE->SetModified(false);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QString text, rtf;
    int megabytes = 10, rounds = 2;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--text"))
            text = QString::fromLocal8Bit(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--rtf"))
            rtf = QString::fromLocal8Bit(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--typing"))
            megabytes = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--rounds"))
            rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    QTemporaryDir dir;
    screen(dir.path());
    if (!text.isEmpty())
        opening(dir.path(), text, true, rounds);
    if (!rtf.isEmpty())
        opening(dir.path(), rtf, false, rounds);
    if (megabytes > 0)
        typing(dir.path(), megabytes);
    return 0;
}
