// The document file commands on big files, run on the real main window with
// their dialogs answered through the modal seam: Open and Save As of a
// generated 10 MB RTF (RTF mode) and a 10 MB Windows-1251 text (plain mode),
// and Insert file contents of a big text (not laid out in full).
//
//   files_bench [MEGABYTES] [--insert MEGABYTES]
//
// Prints, for each step, the command's own time and the time until the
// document is laid out at the window's width (ready to show), both as wall
// clock and CPU time of the user-interface thread, and the process's resident
// memory. Measures; it never fails on time.
#include "app/tform1.h"
#include "bench/event_loop.h"
#include "editor/tjre.h"
#include "platform/guard.h"
#include "platform/modal.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

const char *const kWords[] = {"привет", "документ", "строка", "абзац", "шрифт",   "жирный",      "курсив",
                              "текст",  "редактор", "съешь",  "ещё",   "этих",    "французских", "булок",
                              "Qt",     "RTF",      "2024",   "text",  "layout",  "window"};

QByteArray cp1251(const char *utf8) {
    QByteArray out;
    for (QChar c : QString::fromUtf8(utf8)) {
        const char16_t u = c.unicode();
        out += u < 0x80 ? char(u) : u == 0x0451 ? char(0xB8) : char(0xC0 + (u - 0x0410));
    }
    return out;
}

// RTF as a word processor writes it: a formatting change every few words,
// Cyrillic as \'hh escapes, a paragraph every few dozen words.
QByteArray generateRtf(qsizetype size) {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Times New "
                     "Roman;}{\\f1\\fnil\\fcharset204 Arial;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
                     "\\viewkind4\\uc1\\pard\\qj\\f0\\fs24 ";
    rtf.reserve(size + 4096);
    QList<QByteArray> words;
    for (const char *w : kWords) {
        QByteArray escaped;
        for (char b : cp1251(w))
            escaped += (b & 0x80) ? QByteArray("\\'") + QByteArray::number(uchar(b), 16) : QByteArray(1, b);
        words += escaped;
    }
    const char *const on[] = {"\\b ", "\\i ", "\\ul ", "\\cf1 ", "\\fs28 ", "\\f1 "};
    const char *const off[] = {"\\b0 ", "\\i0 ", "\\ulnone ", "\\cf0 ", "\\fs24 ", "\\f0 "};
    QRandomGenerator rng(7);
    int n = 0;
    while (rtf.size() < size) {
        const int k = int(rng.bounded(6));
        rtf += on[k];
        for (int i = 0; i < 4; ++i)
            rtf += words[int(rng.bounded(quint32(words.size())))] + ' ';
        rtf += off[k];
        if (++n % 12 == 0)
            rtf += "\\par\r\n";
    }
    rtf += "\\par\r\n}\r\n";
    return rtf;
}

// Plain Windows-1251 text in lines of about 60 characters.
QByteArray generateText(qsizetype size) {
    QByteArray text;
    text.reserve(size + 256);
    QList<QByteArray> words;
    for (const char *w : kWords)
        words += cp1251(w);
    QRandomGenerator rng(11);
    qsizetype lineStart = 0;
    while (text.size() < size) {
        text += words[int(rng.bounded(quint32(words.size())))];
        if (text.size() - lineStart > 60) {
            text += "\r\n";
            lineStart = text.size();
        } else {
            text += ' ';
        }
    }
    return text;
}

// Answers the next file dialog with path, as typed into its file-name field.
void choose(const QString &path) {
    modal::answerNext([path](QDialog &d) {
        d.findChild<QListView *>(QStringLiteral("listView"))->selectionModel()->clear();
        d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        return int(QDialog::Accepted);
    });
}

// CPU time of the calling thread, in milliseconds: on a busy machine the wall
// clock says more about the other processes than about us.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Runs a command and prints its time, then the time until laid out, each as
// wall clock and as CPU time of the user-interface thread.
template <class F>
void measure(TForm1 &form, const char *what, F command, bool layout = true) {
    QElapsedTimer timer;
    timer.start();
    const double cpu0 = cpuMs();
    guarded(command);
    const double commandMs = double(timer.nsecsElapsed()) / 1e6, commandCpu = cpuMs() - cpu0;
    if (layout)
        form.JRE->document()->documentLayout()->documentSize(); // everything laid out
    QApplication::processEvents();
    const double readyMs = double(timer.nsecsElapsed()) / 1e6, readyCpu = cpuMs() - cpu0;
    std::printf("%-34s %7.0f %7.0f  %7.0f %7.0f  %6ld MB  %9d chars\n", what, commandMs, commandCpu, readyMs,
                readyCpu, bench::residentMegabytes(), form.JRE->GetTextLen());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    qsizetype megabytes = 10, insertMegabytes = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--insert") == 0 && i + 1 < argc)
            insertMegabytes = std::atoll(argv[++i]);
        else
            megabytes = std::atoll(argv[i]);
    }

    QTemporaryDir dir;
    const QString rtf = dir.filePath(QStringLiteral("big.rtf"));
    const QString text = dir.filePath(QStringLiteral("big.txt"));
    for (const auto &[path, bytes] : {std::pair{rtf, generateRtf(megabytes << 20)},
                                      std::pair{text, generateText(megabytes << 20)}}) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
    }

    TForm1 form(dir.filePath(QStringLiteral("Tessarin.ini")));
    form.show();
    QApplication::processEvents();
    std::printf("%lld MB files, window %dx%d, Qt %s\n", static_cast<long long>(megabytes), form.width(), form.height(),
                qVersion());
    std::printf("%-34s %15s  %15s  %9s  %15s\n", "", "command (ms)", "laid out (ms)", "", "");
    std::printf("%-34s %7s %7s  %7s %7s  %9s  %15s\n", "step", "wall", "cpu", "wall", "cpu", "RSS", "document");

    measure(form, "Open RTF (RTF mode)", [&] {
        choose(rtf);
        form.ToolButton2Click();
    });
    measure(form, "Save As RTF (RTF mode)", [&] {
        choose(dir.filePath(QStringLiteral("out.rtf")));
        form.ToolButton4Click();
    });
    std::printf("  written: %lld bytes\n", static_cast<long long>(QFileInfo(dir.filePath(QStringLiteral("out.rtf"))).size()));
    measure(form, "Save (RTF mode, no dialog)", [&] { form.ToolButton3Click(); });
    measure(form, "New", [&] { form.ToolButton1Click(); });

    form.CB2->setChecked(false); // plain-text mode
    measure(form, "Open text (plain mode)", [&] {
        choose(text);
        form.ToolButton2Click();
    });
    measure(form, "Save As text (plain mode)", [&] {
        choose(dir.filePath(QStringLiteral("out.txt")));
        form.ToolButton4Click();
    });
    {
        QFile a(text), b(dir.filePath(QStringLiteral("out.txt")));
        a.open(QIODevice::ReadOnly);
        b.open(QIODevice::ReadOnly);
        std::printf("  round trip identical: %s\n", a.readAll() == b.readAll() ? "yes" : "NO");
    }
    form.CB2->setChecked(true);
    measure(form, "Open text (RTF mode, falls back)", [&] {
        choose(text);
        form.ToolButton2Click();
    });

    if (insertMegabytes > 0) {
        const QString big = dir.filePath(QStringLiteral("insert.txt"));
        {
            QFile f(big);
            if (!f.open(QIODevice::WriteOnly))
                return 1;
            const QByteArray chunk = generateText(16 << 20);
            for (qsizetype written = 0; written < (insertMegabytes << 20); written += chunk.size())
                f.write(chunk);
        }
        measure(form, "New", [&] { form.ToolButton1Click(); });
        char label[64];
        std::snprintf(label, sizeof label, "Insert contents (%lld MB)", static_cast<long long>(insertMegabytes));
        // Laid out only as far as the window shows it: a full layout of
        // hundreds of megabytes is the editor's affair, not this command's.
        measure(
            form, label,
            [&] {
                choose(big);
                form.ToolButton23Click();
            },
            false);
        measure(form, "  then laid out in full", [] {});
        measure(form, "Undo of the insertion", [&] { form.JRE->Undo(); });
    }
    return 0;
}
