// What any character costs: typing, GetText, find and replace-all in a
// document of Cyrillic, CJK and emoji against one of the same length in
// Windows-1251 Cyrillic, side by side in one run, in a shown main window; and
// the UTF-8 decision on a 100 MB file against loading that file.
//
//   unicode_bench [MB]        MB: the documents' size in millions of UTF-16
//                             code units (default 10)
//
// Every line holds the search text "иголка" once; the find looks for a text
// that only the last line holds. Prints figures; never fails on time.
#include "app/tform1.h"
#include "bench/event_loop.h"
#include "editor/docio.h"
#include "editor/plaintext.h"
#include "editor/tjre.h"
#include "tools/find_replace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Lines of 100 code units (CR LF included), each with the search text once.
QString makeText(qsizetype units, bool mixed) {
    const QString filler = mixed ? QStringLiteral("Съешь 中文字符 ещё 😀 этих 日本語の 🎉 мягких αβγ булок 漢字 ✓ да выпей 😀😀 чаю, 0123456789 ")
                                 : QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей чаю. 0123456789 ");
    const QString find = QStringLiteral("иголка");
    QString out;
    out.reserve(units + 100);
    for (int i = 0; out.size() < units; ++i) {
        QString line = filler.repeated(2).left(92);
        if (line.back().isHighSurrogate())
            line.chop(1), line += u' ';
        qsizetype at = i * 7 % 86;
        if (line[at].isLowSurrogate())
            ++at;
        line.insert(at, find);
        out += line.left(98);
        out += QLatin1String("\r\n");
    }
    return out + QStringLiteral("конец");
}

double msSince(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

struct Result {
    double loadMs, typingUs, getTextMs, findMs, replaceMs;
};

Result measure(const QString &text, bool mixed) {
    TForm1 form;
    form.resize(700, 500);
    form.show();
    const QByteArray bytes = text.toUtf8();
    QElapsedTimer t;
    t.start();
    form.JRE->LoadBytes(bytes, true);
    bench::settle();
    Result r{};
    r.loadMs = msSince(t);

    QTextCursor end(form.JRE->document());
    end.movePosition(QTextCursor::End);
    form.JRE->setTextCursor(end);
    std::vector<double> keys;
    for (int i = 0; i < 51; ++i) {
        t.restart();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, mixed ? QStringLiteral("😀") : QStringLiteral("ж"));
        QApplication::sendEvent(form.JRE, &press);
        QCoreApplication::processEvents();
        keys.push_back(t.nsecsElapsed() / 1e3);
    }
    std::sort(keys.begin(), keys.end());
    r.typingUs = keys[keys.size() / 2];

    t.restart();
    const QString all = form.JRE->GetText();
    r.getTextMs = msSince(t);

    form.JRE->Select(0, 0);
    form.ToolButton14Click();
    form.FindDialog1->SetFindText(QStringLiteral("конец"));
    t.restart();
    form.FindDialog1Find();
    r.findMs = msSince(t);

    form.JRE->Select(0, 0);
    form.ToolButton20Click();
    form.ReplaceDialog1->SetFindText(QStringLiteral("иголка"));
    form.ReplaceDialog1->SetReplaceText(QStringLiteral("pin"));
    t.restart();
    form.ReplaceDialog1Replace();
    bench::settle();
    r.replaceMs = msSince(t);
    form.JRE->SetModified(false);
    return r;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const qsizetype units = qsizetype(argc > 1 ? std::max(1, std::atoi(argv[1])) : 10) * 1000000;

    const Result plain = measure(makeText(units, false), false);
    const Result mixed = measure(makeText(units, true), true);
    std::printf("%lld M code units          Windows-1251 Cyrillic   Cyrillic, CJK, emoji   ratio\n",
                (long long)(units / 1000000));
    const auto row = [](const char *what, double a, double b) {
        std::printf("%-26s %14.2f %22.2f %12.2f\n", what, a, b, b / a);
    };
    row("load (UTF-8 bytes), ms", plain.loadMs, mixed.loadMs);
    row("typing a key, median us", plain.typingUs, mixed.typingUs);
    row("GetText, ms", plain.getTextMs, mixed.getTextMs);
    row("find to the end, ms", plain.findMs, mixed.findMs);
    row("replace-all 100 k, ms", plain.replaceMs, mixed.replaceMs);

    // The UTF-8 decision on 100 MB against loading the same bytes.
    // Then the same with one bad byte in its last megabyte: the file is
    // Windows-1251, and the decision is still one pass.
    QByteArray big = makeText(qsizetype(100) << 20 >> 1, true).toUtf8();
    for (const char *what : {"valid UTF-8", "one bad byte in the last MB"}) {
        QElapsedTimer t;
        t.start();
        const plaintext::Encoding found = plaintext::detect(big);
        const double detectMs = msSince(t);
        QTextDocument doc;
        t.restart();
        docio::read(big, true, doc, {}, found);
        const double loadMs = msSince(t);
        std::printf("UTF-8 decision on %.0f MB, %s: %.1f ms (%s), its load %.0f ms: %.1f%%\n", big.size() / 1048576.0,
                    what, detectMs, found == plaintext::Encoding::Utf8 ? "UTF-8" : "Windows-1251", loadMs,
                    100 * detectMs / loadMs);
        big[big.size() - 500000] = char(0xff);
    }
    return 0;
}
