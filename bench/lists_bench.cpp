// Reading long lists against plain paragraphs of the same text and indents:
// rtf::read into a document (undo off, as a file is opened) of N numbered
// items, N bulleted items and N plain paragraphs, and writing each back.
//
//   lists_bench [ITEMS...]       (default 125000 500000)
//
// Prints seconds (best of three) and the ratio of each list to the plain paragraphs; never
// fails on time.
#include "editor/rtf/reader.h"
#include "editor/rtf/writer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const char kHeader[] = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}"
                       "{\\*\\listtable{\\list\\listtemplateid1\\listsimple{\\listlevel\\levelnfc0\\levelstartat1"
                       "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid1}"
                       "{\\list\\listtemplateid2\\listsimple{\\listlevel\\levelnfc23\\levelstartat1"
                       "{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}}\\listid2}}"
                       "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
                       "{\\listoverride\\listid2\\listoverridecount0\\ls2}}\\f0\\fs24 ";

enum Kind { Numbered, Bulleted, Plain };
const char *const kNames[] = {"numbered list", "bulleted list", "plain paragraphs"};

QByteArray makeRtf(Kind kind, int items) {
    QByteArray out = kHeader;
    out.reserve(items * 60);
    for (int i = 0; i < items; ++i) {
        out += "\\pard";
        if (kind == Numbered)
            out += "\\ls1\\fi-360\\li720 {\\listtext " + QByteArray::number(i + 1) + ".\\tab}";
        else if (kind == Bulleted)
            out += "\\ls2\\fi-360\\li720 {\\listtext\\f1 \\'B7\\tab}";
        else
            out += "\\fi-360\\li720 ";
        out += " Item of the list, number " + QByteArray::number(i) + ".\\par\n";
    }
    return out + "}";
}

struct Figures {
    double read = 0, write = 0;
    int blocks = 0;
};

// The best of three reads and writes, against the machine's noise.
Figures measure(Kind kind, int items) {
    const QByteArray rtf = makeRtf(kind, items);
    Figures f{1e9, 1e9, 0};
    for (int round = 0; round < 3; ++round) {
        QTextDocument doc;
        doc.setUndoRedoEnabled(false);
        QElapsedTimer t;
        t.start();
        rtf::read(rtf, doc);
        f.read = std::min(f.read, t.nsecsElapsed() / 1e9);
        f.blocks = doc.blockCount();
        t.start();
        const QByteArray written = rtf::write(doc);
        f.write = std::min(f.write, t.nsecsElapsed() / 1e9);
    }
    return f;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(std::atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {125000, 500000};
    std::printf("%9s  %-17s %9s %8s %9s %8s\n", "items", "", "read s", "x plain", "write s", "x plain");
    for (int n : sizes) {
        const Figures plain = measure(Plain, n);
        for (Kind kind : {Numbered, Bulleted, Plain}) {
            const Figures f = kind == Plain ? plain : measure(kind, n);
            std::printf("%9d  %-17s %9.2f %8.2f %9.2f %8.2f%s\n", n, kNames[kind], f.read, f.read / plain.read,
                        f.write, f.write / plain.write, f.blocks < n ? "  (paragraphs lost!)" : "");
            std::fflush(stdout);
        }
    }
    return 0;
}
