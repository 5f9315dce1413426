// Replace-all of 100,000 occurrences in a 10 MB text: the replace command on
// a shown main window (ReplaceDialog1Replace: reading the text, the engine,
// the edits in one undo step) against a plain std::string pass over the same
// bytes. Also the restarting loop through the editor on a 100 KB text, to show
// what searching from the start after each replacement costs, and a
// replacement that never stops making new occurrences. The undo and the redo
// of the command (the Undo and Redo commands of the window) are timed as the
// command is: the call, then the layout and events it leaves until the event
// loop has nothing pending. Prints figures; never fails on time.
#include "app/tform1.h"
#include "bench/event_loop.h"
#include "editor/cp1251.h"
#include "editor/pieces.h"
#include "editor/plaintext.h"
#include "editor/tjre.h"
#include "tools/find_replace.h"
#include "tools/replace_engine.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextDocument>
#include <cstdio>
#include <string>

namespace {

const std::string kFind = "\xe8\xe3\xee\xeb\xea\xe0"; // "иголка" in Windows-1251
const std::string kWith = "pin";

// Lines of 100 bytes (CR LF included), each holding the search text once.
std::string makeText(int lines) {
    const std::string filler =
        "\xd1\xfa\xe5\xf8\xfc \xe6\xe5 \xe5\xf9\xb8 \xfd\xf2\xe8\xf5 \xec\xff\xe3\xea\xe8\xf5 "
        "french rolls, da vypei chayu. 0123456789 the quick brown fox jumps over lazy dogs";
    std::string out;
    out.reserve(std::size_t(lines) * 100);
    for (int i = 0; i < lines; ++i) {
        std::string line = filler.substr(0, 92);
        line.insert(std::size_t(i * 7 % 86), kFind);
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string plainPass(const std::string &text, int *count) {
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    *count = 0;
    for (std::size_t p; (p = text.find(kFind, from)) != std::string::npos; from = p + kFind.size()) {
        out.append(text, from, p - from);
        out += kWith;
        ++*count;
    }
    out.append(text, from, std::string::npos);
    return out;
}

double ms(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

void load(TForm1 &form, const std::string &bytes) {
    form.JRE->Clear();
    plaintext::read(QByteArrayView(bytes.data(), qsizetype(bytes.size())), *form.JRE->document());
    form.JRE->document()->documentLayout()->documentSize(); // laid out, as after opening it
    bench::settle();
    form.JRE->Select(0, 0);
}

// Milliseconds until the document is laid out and the event loop has nothing
// pending, as after a command.
double layOutAndSettle(TForm1 &form) {
    QElapsedTimer t;
    t.start();
    form.JRE->document()->documentLayout()->documentSize();
    const double laidOutMs = ms(t);
    const bench::Settled s = bench::settle();
    if (!s.settled)
        std::printf("warning: the event loop did not settle within 60 s\n");
    return laidOutMs + s.busyMs;
}

void prepareDialog(TForm1 &form) {
    form.ToolButton20Click();
    form.ReplaceDialog1->SetFindText(cp1251::decode(kFind));
    form.ReplaceDialog1->SetReplaceText(cp1251::decode(kWith));
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    QTemporaryDir dir;
    TForm1 form(dir.filePath(QStringLiteral("Tessarin.ini")));
    form.show();
    QCoreApplication::processEvents();

    const std::string text = makeText(100000);
    std::printf("text: %zu bytes, %d lines\n", text.size(), 100000);

    // Plain std::string pass over the bytes.
    int count = 0;
    QElapsedTimer t;
    t.start();
    const std::string expected = plainPass(text, &count);
    const double plainMs = ms(t);

    load(form, text);
    prepareDialog(form);

    // The parts of the command, each alone.
    t.start();
    const QString docText = form.JRE->GetText();
    const double getTextMs = ms(t);
    const QString find = cp1251::decode(kFind), with = cp1251::decode(kWith);
    t.start();
    const auto plan = replace_engine::replaceAll<char16_t>(
        std::u16string_view(QStringView(docText).utf16(), std::size_t(docText.size())),
        std::u16string_view(QStringView(find).utf16(), std::size_t(find.size())),
        std::u16string_view(QStringView(with).utf16(), std::size_t(with.size())));
    const double engineMs = ms(t);

    // The whole command, then the layout it leaves to do. The document reports
    // its change once, when the edits are done and before it lays them out.
    double editsDoneMs = -1;
    const auto probe = QObject::connect(form.JRE->document(), &QTextDocument::contentsChange,
                                        [&] { editsDoneMs = ms(t); });
    t.start();
    form.ReplaceDialog1Replace();
    const double commandMs = ms(t);
    QObject::disconnect(probe);
    const double layoutMs = layOutAndSettle(form);
    const bool same = cp1251::encode(form.JRE->GetText()).toStdString() == expected;

    t.start();
    form.ToolButton8Click();
    const double undoMs = ms(t);
    const double undoLayoutMs = layOutAndSettle(form);
    const bool restored = cp1251::encode(form.JRE->GetText()).toStdString() == text;
    t.start();
    form.ToolButton9Click();
    const double redoMs = ms(t);
    const double redoLayoutMs = layOutAndSettle(form);
    const bool redone = cp1251::encode(form.JRE->GetText()).toStdString() == expected;

    std::printf("occurrences replaced: %d (engine: %zu)\n", count, plan.edits.size());
    std::printf("%-44s %10s\n", "", "ms");
    std::printf("%-44s %10.1f\n", "std::string one pass (bytes)", plainMs);
    std::printf("%-44s %10.1f\n", "ReplaceDialog1Replace, whole command", commandMs);
    std::printf("%-44s %10.1f\n", "  of which GetText", getTextMs);
    std::printf("%-44s %10.1f\n", "  of which the engine (UTF-16)", engineMs);
    std::printf("%-44s %10.1f\n", "  of which the 100,000 edits", editsDoneMs - getTextMs - engineMs);
    std::printf("%-44s %10.1f\n", "  of which laying out the changed lines", commandMs - editsDoneMs);
    std::printf("%-44s %10.1f\n", "layout and events after the command", layoutMs);
    std::printf("%-44s %10s %10s %10s\n", "", "call", "+ layout", "x command");
    const double commandAll = commandMs + layoutMs;
    std::printf("%-44s %10.1f %10.1f %10.2f\n", "command", commandMs, commandAll, 1.0);
    std::printf("%-44s %10.1f %10.1f %10.2f\n", "one undo", undoMs, undoMs + undoLayoutMs,
                (undoMs + undoLayoutMs) / commandAll);
    std::printf("%-44s %10.1f %10.1f %10.2f\n", "one redo", redoMs, redoMs + redoLayoutMs,
                (redoMs + redoLayoutMs) / commandAll);
    std::printf("ratio command / std::string pass: %.1f\n", commandMs / plainMs);
    std::printf("result equals the std::string pass: %s; undo restores the text: %s; redo replaces again: %s\n",
                same ? "yes" : "NO", restored ? "yes" : "NO", redone ? "yes" : "NO");

    // The restarting loop through the editor's vocabulary on 1/100 of the text.
    const std::string small = makeText(1000);
    load(form, small);
    t.start();
    for (;;) {
        const qsizetype p = form.JRE->GetText().indexOf(find);
        if (p < 0)
            break;
        form.JRE->Select(int(p), int(find.size()));
        form.JRE->ReplaceSelection(with);
    }
    const double literalMs = ms(t);
    load(form, small);
    t.start();
    form.ReplaceDialog1Replace();
    const double smallMs = ms(t);
    std::printf("100 KB, 1,000 occurrences: restarting loop %.1f ms, ReplaceDialog1Replace %.1f ms (%.0fx)\n",
                literalMs, smallMs, literalMs / smallMs);

    // A replacement that never stops making new occurrences: "aab" with
    // ab -> bbaa. The command ends at its growth limit; timed with the layout
    // and redrawing it leaves to do.
    form.JRE->Clear();
    form.JRE->ReplaceSelection(QStringLiteral("aab"));
    form.ReplaceDialog1->SetFindText(QStringLiteral("ab"));
    form.ReplaceDialog1->SetReplaceText(QStringLiteral("bbaa"));
    t.start();
    form.ReplaceDialog1Replace();
    const double runawayMs = ms(t);
    form.JRE->document()->documentLayout()->documentSize();
    QCoreApplication::processEvents();
    std::printf("\"aab\", ab -> bbaa: command %.1f ms, with layout and events %.1f ms, %d characters\n", runawayMs,
                ms(t), form.JRE->GetTextLen());

    // The 10 MB text as one paragraph (its line ends spaces), held in pieces
    // as a file read is: the command joins the pieces, replaces, and splits
    // them again.
    std::string line = text;
    for (char &c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    load(form, line);
    pieces::split(*form.JRE->document());
    const int blocks = form.JRE->document()->blockCount();
    form.ReplaceDialog1->SetFindText(find);
    form.ReplaceDialog1->SetReplaceText(with);
    t.start();
    form.ReplaceDialog1Replace();
    const double oneMs = ms(t);
    const double oneLayoutMs = layOutAndSettle(form);
    int oneCount = 0;
    const bool oneSame = cp1251::encode(form.JRE->GetText()).toStdString() == plainPass(line, &oneCount);
    std::printf("one paragraph in %d pieces: command %.1f ms, with layout and events %.1f ms (%.2fx the lines); "
                "result right: %s\n",
                blocks, oneMs, oneMs + oneLayoutMs, (oneMs + oneLayoutMs) / commandAll, oneSame ? "yes" : "NO");
    return same && restored && redone && oneSame ? 0 : 1;
}
