// The line sort of the main window on 1,000,000 lines (about 30 MB of mixed
// Cyrillic and Latin words, plain text, word wrap off so lines are
// paragraphs), side by side with std::sort of the same lines on the same
// collator's sort keys. The undo and the redo of the sort (the Undo and Redo
// commands of the window) are timed as the sort is: the call, then until the
// event loop has nothing pending, each against the sort. Prints figures;
// never fails on time.
#include "app/tform1.h"
#include "bench/event_loop.h"
#include "editor/cp1251.h"
#include "editor/tjre.h"
#include "tools/text_tools.h"

#include <QApplication>
#include <QCollatorSortKey>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {

const char *const kWords[] = {
    "дом", "река", "солнце", "книга", "окно", "дорога", "ветер", "город", "время", "человек",
    "работа", "слово", "жизнь", "рука", "день", "ночь", "вода", "земля", "небо", "машина",
    "ёлка", "щука", "южный", "эхо", "яблоко", "Москва", "Санкт-Петербург", "письмо", "утро", "вечер",
    "быстро", "медленно", "красивый", "большой", "маленький", "новый", "старый", "зелёный", "белый", "Иван",
    "house", "river", "sun", "book", "window", "road", "wind", "city", "time", "person",
    "work", "word", "life", "hand", "day", "night", "water", "earth", "sky", "car",
    "Linux", "Qt", "editor", "file", "report", "2024", "No.", "e-mail", "version", "test"};

// `lines` lines of words in Windows-1251, CR LF after each.
QByteArray makeText(int lines) {
    std::mt19937 rng(20240607);
    std::uniform_int_distribution<int> word(0, int(std::size(kWords)) - 1);
    std::uniform_int_distribution<int> count(3, 6);
    std::uniform_int_distribution<int> percent(0, 99);
    QString text;
    text.reserve(qsizetype(lines) * 34);
    for (int i = 0; i < lines; ++i) {
        const int n = count(rng);
        for (int k = 0; k < n; ++k) {
            QString w = QString::fromUtf8(kWords[word(rng)]);
            const int p = percent(rng);
            if (p < 15)
                w[0] = w[0].toUpper();
            else if (p < 18)
                w = w.toUpper();
            if (k)
                text += u' ';
            text += w;
        }
        if (percent(rng) < 2)
            text += QStringLiteral(" %1").arg(i);
        text += QLatin1String("\r\n");
    }
    return cp1251::encode(text);
}

double ms(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

long peakRssMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lineCount = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines.txt"));
    const QByteArray bytes = makeText(lineCount);
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
    }
    std::printf("%d lines, %.1f MB, collator locale %s\n", lineCount, bytes.size() / 1048576.0,
                qPrintable(text_tools::lineCollator().locale().name()));

    // std::sort on the collator's sort keys, each line's key made once.
    QStringList lines = cp1251::decode(bytes).split(QLatin1String("\r\n"));
    lines.removeLast();
    QElapsedTimer t;
    t.start();
    const QCollator collator = text_tools::lineCollator();
    struct Keyed {
        QCollatorSortKey key;
        int line;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(lines.size());
    for (int i = 0; i < lines.size(); ++i)
        keyed.push_back({collator.sortKey(lines[i]), i});
    const double keysMs = ms(t);
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        const int c = a.key.compare(b.key);
        return c < 0 || (c == 0 && a.line < b.line);
    });
    const double baselineMs = ms(t);
    QString expected;
    for (const Keyed &k : keyed)
        expected += lines[k.line] + QLatin1String("\r\n");
    keyed.clear();
    keyed.shrink_to_fit();
    lines.clear();

    TForm1 form(dir.filePath(QStringLiteral("Tessarin.ini")));
    form.show();
    TJRE *jre = form.JRE;
    jre->SetPlainText(true);
    jre->SetWordWrap(false);
    t.restart();
    jre->LoadFile(path);
    bench::settle(); // nothing of the opening left to run while the sort is timed
    const double loadMs = ms(t);

    t.restart();
    const int readLines = int(jre->Lines().Texts().size());
    const double readMs = ms(t);

    // The call alone, then until the event loop has nothing pending.
    const auto timed = [&t](auto command) {
        t.restart();
        command();
        const double callMs = ms(t);
        const bench::Settled s = bench::settle();
        if (!s.settled)
            std::printf("warning: the event loop did not settle within 60 s\n");
        return std::pair{callMs, callMs + s.busyMs};
    };
    const auto [commandMs, withPaintMs] = timed([&] { form.ToolButton25Click(); });
    const bool same = jre->GetText() == expected;
    const auto [undoMs, undoAllMs] = timed([&] { form.ToolButton8Click(); });
    const bool restored = jre->GetText() == cp1251::decode(bytes);
    const auto [redoMs, redoAllMs] = timed([&] { form.ToolButton9Click(); });
    const bool redone = jre->GetText() == expected;

    std::printf("load (not timed below)         %9.0f ms\n", loadMs);
    std::printf("lines read from the editor     %9.0f ms  (%d lines)\n", readMs, readLines);
    std::printf("sort command                   %9.0f ms\n", commandMs);
    std::printf("sort command until idle        %9.0f ms\n", withPaintMs);
    std::printf("std::sort on sort keys         %9.0f ms  (keys %.0f ms, sort %.0f ms)\n", baselineMs, keysMs,
                baselineMs - keysMs);
    std::printf("ratio command / std::sort      %9.2f\n", commandMs / baselineMs);
    std::printf("undo of the sort               %9.0f ms, until idle %.0f ms  (%s)\n", undoMs, undoAllMs,
                restored ? "restored" : "NOT RESTORED");
    std::printf("redo of the sort               %9.0f ms, until idle %.0f ms  (%s)\n", redoMs, redoAllMs,
                redone ? "sorted again" : "NOT SORTED");
    std::printf("ratio undo / sort              %9.2f  (until idle %.2f)\n", undoMs / commandMs,
                undoAllMs / withPaintMs);
    std::printf("ratio redo / sort              %9.2f  (until idle %.2f)\n", redoMs / commandMs,
                redoAllMs / withPaintMs);
    std::printf("result equals std::sort order: %s\n", same ? "yes" : "NO");
    std::printf("peak RSS                       %9ld MB\n", peakRssMb());
    return same && restored && redone ? 0 : 1;
}
