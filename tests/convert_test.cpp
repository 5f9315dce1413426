// tessarin-convert, run as a program: it writes exactly what the editor's save
// writes after the editor's load, and fails with the editor's messages.
#include "editor/cp1251.h"
#include "editor/docformat.h"
#include "editor/docio.h"
#include "editor/plaintext.h"
#include "editor/rtf/reader.h"
#include "tests/support/doccompare.h"
#include "tests/support/testsupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <unistd.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

Run convert(const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral(TESSARIN_CONVERT), args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The editor's base font: the converter's documents have it as their default,
// and plain text gets it.
QTextCharFormat plainFormat() {
    QTextCharFormat f;
    docformat::setFontName(f, QStringLiteral("MS Sans Serif"));
    f.setFontPointSize(12);
    return f;
}

// What the editor saves in mode toText after loading path in mode fromText.
QByteArray editorBytes(const QString &path, bool fromText, bool toText) {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("MS Sans Serif"), 12));
    const plaintext::Encoding encoding = docio::load(path, fromText, doc, plainFormat());
    return docio::serialize(doc, toText, encoding);
}

} // namespace

class ConvertTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path(const QString &name) const { return dir_.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QFileInfo(QStringLiteral(TESSARIN_CONVERT)).isExecutable());
    }

    void usage() {
        const Run help = convert({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith("Usage: tessarin-convert [--from rtf|text] --to rtf|text [--encoding utf-8|cp1251]\n"
                                    "                        [--lossy] INPUT OUTPUT"));
        QVERIFY(help.out.contains("\n      --version  output version information and exit\n"));
        const Run version = convert({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("tessarin-convert (Tessarin) 2.0\n"));
        const QString in = testsupport::dataPath(QStringLiteral("corpus/pandoc.rtf"));
        for (const QStringList &bad : {QStringList{}, QStringList{in, path(QStringLiteral("x"))},
                                       QStringList{QStringLiteral("--to"), QStringLiteral("html"), in, path("x")},
                                       QStringList{QStringLiteral("--to"), QStringLiteral("text"), in},
                                       QStringList{QStringLiteral("--to"), QStringLiteral("text"),
                                                   QStringLiteral("--force"), in, path("x")}}) {
            const Run r = convert(bad);
            QCOMPARE(r.exitCode, 2);
            QVERIFY(r.err.startsWith("tessarin-convert: "));
            QVERIFY(r.err.endsWith("\nTry 'tessarin-convert --help' for more information.\n"));
        }
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("x"))));
    }

    // Every input and direction gives the editor's own bytes.
    void writesWhatTheEditorSaves_data() {
        QTest::addColumn<QString>("input");
        for (const char *name : {"libreoffice.rtf", "pandoc.rtf", "abiword.rtf", "abiword-ru.rtf", "sample.html",
                                 "libreoffice-lists.rtf", "abiword-lists.rtf"})
            QTest::newRow(name) << testsupport::dataPath(QStringLiteral("corpus/") + QLatin1String(name));
        QTest::newRow("cp1251 text") << QStringLiteral("cp1251");
        QTest::newRow("empty") << QStringLiteral("empty");
    }
    void writesWhatTheEditorSaves() {
        QFETCH(QString, input);
        if (input == QLatin1String("cp1251")) {
            input = path(QStringLiteral("cp1251.txt"));
            writeFile(input, cp1251::encode(u"{\\rtf1 не RTF\r\nвторая\rтретья\nи\x01\tконец\r\n"));
        } else if (input == QLatin1String("empty")) {
            input = path(QStringLiteral("empty.txt"));
            writeFile(input, {});
        }
        for (bool fromText : {false, true}) {
            for (bool toText : {false, true}) {
                const QString out = path(QStringLiteral("out"));
                // As the editor saves after Yes to its question about characters Windows-1251 lacks.
                QStringList args{QStringLiteral("--lossy"), QStringLiteral("--to"),
                                 toText ? QStringLiteral("text") : QStringLiteral("rtf"), input, out};
                if (fromText || toText) // without it, --from rtf
                    args = QStringList{QStringLiteral("--from"), fromText ? QStringLiteral("text") : QStringLiteral("rtf")} + args;
                const Run r = convert(args);
                QVERIFY2(r.exitCode == 0, r.err.constData());
                QVERIFY(r.err.isEmpty());
                QCOMPARE(readFile(out), editorBytes(input, fromText, toText));
            }
        }
    }

    // Plain text keeps its encoding: UTF-8 (with or without its mark) and
    // Windows-1251 come back byte for byte; a Windows-1251 output that would
    // lose characters fails unless --lossy, and --encoding forces one.
    void plainTextEncodings() {
        const QString out = path(QStringLiteral("enc.out"));
        const QByteArray russian = QByteArrayLiteral("Съешь же ещё этих мягких французских булок\r\nда выпей чаю");
        for (const QByteArray &bytes : {russian, QByteArray("\xEF\xBB\xBF") + russian, cp1251::encode(QString::fromUtf8(russian)),
                                        QByteArray("\xEF\xBB\xBF")}) {
            writeFile(path(QStringLiteral("in.txt")), bytes);
            QCOMPARE(convert({"--from", "text", "--to", "text", path(QStringLiteral("in.txt")), out}).exitCode, 0);
            QCOMPARE(readFile(out), bytes);
        }
        const QString rtf = testsupport::dataPath(QStringLiteral("corpus/pandoc.rtf"));
        QFile::remove(out);
        const Run lossy = convert({"--to", "text", rtf, out});
        QCOMPARE(lossy.exitCode, 1);
        QVERIFY2(lossy.err.startsWith("7 characters are not in Windows-1251 (α, β, γ, 日, 本)"), lossy.err.constData());
        QVERIFY(!QFile::exists(out));
        QCOMPARE(convert({"--to", "text", "--encoding", "utf-8", rtf, out}).exitCode, 0);
        QVERIFY(readFile(out).contains("греческие αβγ, иероглифы 日本, знак ≠"));
        QCOMPARE(convert({"--from", "text", "--encoding", "cp1251", "--to", "text", path(QStringLiteral("in.txt")), out}).exitCode, 0);
        QCOMPARE(readFile(out), QByteArray("\xEF\xBB\xBF") ); // the mark as three Windows-1251 letters, back as they were
    }

    // The text shows each list item's number or bullet and a tab, as a word
    // processor's text export does, whoever wrote the numbering.
    void textShowsListLabels() {
        for (const char *name : {"abiword-lists.rtf", "libreoffice-lists.rtf"}) {
            const QString out = path(QStringLiteral("lists.txt"));
            const QString in = testsupport::dataPath(QStringLiteral("corpus/") + QLatin1String(name));
            QCOMPARE(convert({QStringLiteral("--to"), QStringLiteral("text"), in, out}).exitCode, 0);
            const QByteArray text = readFile(out);
            QVERIFY2(text.contains(cp1251::encode(u"\r\n1.\tРаз\r\n2.\tДва\r\n3.\tТри\r\n")), name);
            QVERIFY2(text.contains(cp1251::encode(u"\r\n•\tПервый\r\n•\tВторой\r\n")), name);
        }
    }

    // Text to RTF and back gives the text again.
    void textThroughRtf() {
        const QByteArray text = cp1251::encode(u"Строка {один}\\два\r\n\tтри € \x98\r\n");
        writeFile(path(QStringLiteral("t.txt")), text);
        QCOMPARE(convert({"--from", "text", "--to", "rtf", path("t.txt"), path("t.rtf")}).exitCode, 0);
        QVERIFY(rtf::isRtf(readFile(path(QStringLiteral("t.rtf")))));
        QVERIFY(readFile(path(QStringLiteral("t.rtf"))).contains("MS Sans Serif;"));
        QCOMPARE(convert({"--to", "text", path("t.rtf"), path("back.txt")}).exitCode, 0);
        QCOMPARE(readFile(path(QStringLiteral("back.txt"))), text);
    }

    void failures() {
        const QString missing = path(QStringLiteral("missing.rtf"));
        const QString out = path(QStringLiteral("never.txt"));
        Run r = convert({QStringLiteral("--to"), QStringLiteral("text"), missing, out});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromLocal8Bit(r.err),
                 QStringLiteral("Cannot open file \"%1\". No such file or directory\n").arg(missing));
        QVERIFY(!QFileInfo::exists(out));

        r = convert({QStringLiteral("--to"), QStringLiteral("rtf"), dir_.path(), out});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromLocal8Bit(r.err), QStringLiteral("Cannot open file \"%1\". Is a directory\n").arg(dir_.path()));

        writeFile(path(QStringLiteral("in.txt")), "text");
        QVERIFY(QDir().mkpath(path(QStringLiteral("folder.rtf"))));
        r = convert({QStringLiteral("--to"), QStringLiteral("rtf"), path("in.txt"), path("folder.rtf")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromLocal8Bit(r.err),
                 QStringLiteral("Cannot create file \"%1\". Is a directory\n").arg(path("folder.rtf")));
        const QString nowhere = path(QStringLiteral("no/such/dir.rtf"));
        r = convert({QStringLiteral("--to"), QStringLiteral("rtf"), path("in.txt"), nowhere});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.startsWith("Cannot create file \""));
        QCOMPARE(QDir(dir_.path()).entryList(QStringList{QStringLiteral(".*.tmp")}, QDir::Hidden | QDir::Files),
                 QStringList());
    }

    // Names that are not UTF-8 pass through as bytes.
    void nonUtf8Names() {
        const QByteArray folder = QFile::encodeName(dir_.path());
        writeFile(path(QStringLiteral("plain.txt")), cp1251::encode(u"Привет"));
        // "Привет" in Windows-1251 bytes, given through the shell's printf.
        QProcess sh;
        sh.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("\"$0\" --to rtf \"$1\" \"$2/$(printf '\\317\\360\\350.rtf')\" && "
                                 "\"$0\" --to text \"$2/$(printf '\\317\\360\\350.rtf')\" \"$2/back.txt\""),
                  QStringLiteral(TESSARIN_CONVERT), path(QStringLiteral("plain.txt")), dir_.path()});
        QVERIFY(sh.waitForFinished(60000));
        QCOMPARE(sh.exitCode(), 0);
        const QByteArray raw = folder + "/\xcf\xf0\xe8.rtf";
        QVERIFY(QFileInfo::exists(QFile::decodeName(folder + "/back.txt")));
        QCOMPARE(readFile(path(QStringLiteral("back.txt"))), cp1251::encode(u"Привет"));
        QTextDocument doc;
        docio::load(docio::decodePath(raw), false, doc);
        QCOMPARE(doc.toPlainText(), QString::fromUtf8("Привет"));
        QVERIFY(::unlink(raw.constData()) == 0); // Qt cannot name it to clean up
    }
};

QTEST_MAIN(ConvertTest)
#include "convert_test.moc"
