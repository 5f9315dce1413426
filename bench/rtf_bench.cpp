// RTF engine speed, side by side with peers, on one generated 20 MB RTF: a
// formatting change every four words, Cyrillic text in a \fcharset204 font.
//
//   rtf_bench [MEGABYTES]
//
// Prints MB/s of the RTF file for: a plain scan of its bytes (the floor),
// rtf::readText (what tessarin-convert does to text), rtf::read into a
// document plus its layout at 695 px (a document ready to show), our writer,
// tessarin-convert end to end, and `unrtf --text` and `abiword --to=txt` on the
// same file. Measures; it never fails on time.
#include "editor/rtf/reader.h"
#include "editor/rtf/writer.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

namespace {

// Windows-1251 words, as \'hh escapes, and some Latin ones.
QList<QByteArray> words() {
    const char *const cyrillic[] = {"привет", "документ", "строка", "абзац",    "шрифт",  "жирный",
                                    "курсив", "текст",    "редактор", "съешь", "ещё",    "этих",
                                    "мягких", "французских", "булок",  "выпей", "чаю",    "и"};
    QList<QByteArray> out;
    for (const char *w : cyrillic) {
        QByteArray escaped;
        const QString s = QString::fromUtf8(w);
        for (QChar c : s) {
            const int b = c.unicode() == 0x0451 ? 0xB8 : 0xC0 + (c.unicode() - 0x0410);
            escaped += QByteArray("\\'") + QByteArray::number(b, 16);
        }
        out += escaped;
    }
    for (const char *w : {"Qt", "RTF", "2024", "text", "layout"})
        out += QByteArray(w);
    return out;
}

QByteArray generate(qsizetype size) {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Times New "
                     "Roman;}{\\f1\\fnil\\fcharset204 Arial;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
                     "\\viewkind4\\uc1\\pard\\f0\\fs24 ";
    rtf.reserve(size + 4096);
    const QList<QByteArray> pool = words();
    const char *const changes[][2] = {{"\\b ", "\\b0 "},    {"\\i ", "\\i0 "},     {"\\ul ", "\\ulnone "},
                                      {"\\cf1 ", "\\cf0 "}, {"\\fs28 ", "\\fs24 "}, {"\\f1 ", "\\f0 "}};
    QRandomGenerator rng(42);
    int word = 0;
    int change = 0;
    bool on = false;
    while (rtf.size() < size) {
        rtf += pool[rng.bounded(pool.size())];
        ++word;
        if (word % 4 == 0) {
            // Turn the last attribute off, or the next one on.
            rtf += ' ';
            rtf += changes[change][on ? 1 : 0];
            if (on)
                change = (change + 1) % 6;
            on = !on;
        } else {
            rtf += ' ';
        }
        if (word % 48 == 0)
            rtf += "\\par\r\n";
    }
    rtf += "\\par\r\n}\r\n";
    return rtf;
}

struct Result {
    QString name;
    double seconds = -1;
    QString note;
};

double mbps(qsizetype bytes, double seconds) { return seconds > 0 ? bytes / 1e6 / seconds : 0; }

std::optional<double> runProcess(const QString &program, const QStringList &args) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit ||
        p.exitCode() != 0)
        return std::nullopt;
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qsizetype megabytes = argc > 1 ? std::atoi(argv[1]) : 20;

    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("bench.rtf"));
    const QByteArray rtf = generate(megabytes * 1000 * 1000);
    {
        QFile f(input);
        if (!f.open(QIODevice::WriteOnly) || f.write(rtf) != rtf.size())
            return 1;
    }
    std::printf("input: %.1f MB of RTF, a formatting change every four words\n\n", rtf.size() / 1e6);

    QList<Result> results;
    QElapsedTimer t;

    // The floor: one pass over the bytes.
    t.start();
    qsizetype backslashes = 0;
    for (char c : rtf)
        backslashes += c == '\\';
    results.append({QStringLiteral("scan (count backslashes)"), t.nsecsElapsed() / 1e9,
                    QStringLiteral("%1 backslashes").arg(backslashes)});

    t.start();
    const std::optional<QString> text = rtf::readText(rtf);
    results.append({QStringLiteral("rtf::readText"), t.nsecsElapsed() / 1e9,
                    QStringLiteral("%1 characters").arg(text ? text->size() : -1)});

    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    t.start();
    rtf::read(rtf, doc);
    const double readSeconds = t.nsecsElapsed() / 1e9;
    results.append({QStringLiteral("rtf::read into QTextDocument"), readSeconds,
                    QStringLiteral("%1 paragraphs").arg(doc.blockCount())});
    t.start();
    doc.setTextWidth(695);
    const QSizeF size = doc.documentLayout()->documentSize();
    const double layoutSeconds = t.nsecsElapsed() / 1e9;
    results.append({QStringLiteral("  + layout at 695 px (ready to show)"), readSeconds + layoutSeconds,
                    QStringLiteral("layout alone %1 s, %2 px high").arg(layoutSeconds, 0, 'f', 2).arg(size.height())});

    t.start();
    const QByteArray written = rtf::write(doc);
    results.append({QStringLiteral("rtf::write"), t.nsecsElapsed() / 1e9,
                    QStringLiteral("%1 MB written, %2 MB/s of output")
                        .arg(written.size() / 1e6, 0, 'f', 1)
                        .arg(mbps(written.size(), t.nsecsElapsed() / 1e9), 0, 'f', 0)});

    // tessarin-convert, beside this program in the build tree or on the PATH.
    QString convert = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../cli/tessarin-convert"));
    if (!QFileInfo(convert).isExecutable())
        convert = QStandardPaths::findExecutable(QStringLiteral("tessarin-convert"));
    for (const char *to : {"text", "rtf"}) {
        const QString name = QStringLiteral("tessarin-convert --to %1").arg(QLatin1String(to));
        if (convert.isEmpty()) {
            results.append({name, -1, QStringLiteral("not built")});
            continue;
        }
        const auto s = runProcess(convert, {QStringLiteral("--to"), QLatin1String(to), input,
                                            dir.filePath(QStringLiteral("out.") + QLatin1String(to))});
        results.append({name, s ? *s : -1, s ? QStringLiteral("whole process") : QStringLiteral("failed")});
    }

    const QString unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    if (unrtf.isEmpty()) {
        results.append({QStringLiteral("unrtf --text"), -1, QStringLiteral("not installed")});
    } else {
        const auto s = runProcess(unrtf, {QStringLiteral("--text"), input});
        results.append({QStringLiteral("unrtf --text"), s ? *s : -1, s ? QString() : QStringLiteral("failed")});
    }
    const QString abiword = QStandardPaths::findExecutable(QStringLiteral("abiword"));
    if (abiword.isEmpty()) {
        results.append({QStringLiteral("abiword --to=txt"), -1, QStringLiteral("not installed")});
    } else {
        const auto s = runProcess(abiword, {QStringLiteral("--to=txt"), QStringLiteral("-o"),
                                            dir.filePath(QStringLiteral("abiword.txt")), input});
        results.append({QStringLiteral("abiword --to=txt"), s ? *s : -1, s ? QString() : QStringLiteral("failed")});
    }

    const double readTextSeconds = results[1].seconds;
    std::printf("%-38s %9s %9s %12s  %s\n", "", "seconds", "MB/s", "x readText", "");
    for (const Result &r : results) {
        if (r.seconds < 0) {
            std::printf("%-38s %9s %9s %12s  %s\n", qPrintable(r.name), "-", "-", "-", qPrintable(r.note));
            continue;
        }
        std::printf("%-38s %9.3f %9.1f %12.2f  %s\n", qPrintable(r.name), r.seconds, mbps(rtf.size(), r.seconds),
                    r.seconds / readTextSeconds, qPrintable(r.note));
    }
    std::printf("\nMB/s are of the %.1f MB input; \"x readText\" is the time against rtf::readText's.\n",
                rtf.size() / 1e6);
    return 0;
}
