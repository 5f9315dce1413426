#include "editor/cp1251.h"
#include "editor/docformat.h"
#include "editor/doclayout.h"
#include "editor/docio.h"
#include "editor/plaintext.h"
#include "editor/rtf/reader.h"
#include "editor/rtf/writer.h"
#include "platform/error.h"
#include "tests/support/doccompare.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

#include <chrono>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::inodeOf;
using testsupport::LockedFolder;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

// The message of the error that fn throws; empty when it throws none.
template <typename Fn> QString errorOf(Fn fn) {
    try {
        fn();
    } catch (const tessarin::Error &e) {
        return e.message();
    }
    return {};
}

QTextCharFormat arial(double points) {
    QTextCharFormat f;
    docformat::setFontName(f, QStringLiteral("Arial"));
    f.setFontPointSize(points);
    return f;
}

} // namespace

class DocioTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString path(const QString &name) const { return dir_.filePath(name); }

    // A small formatted document.
    static void fill(QTextDocument &doc) {
        QTextCursor c(&doc);
        QTextCharFormat bold = arial(14);
        bold.setFontWeight(QFont::Bold);
        c.insertText(QString::fromUtf8("Жирный"), bold);
        c.insertText(QString::fromUtf8(" текст"), arial(12));
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        c.insertBlock(centred, arial(12));
        c.insertText(QStringLiteral("{\\rtf1 not markup}"));
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // The encoding decision against Qt's UTF-8 decoder, on random bytes rich
    // in sequences, broken ones among them; and on real text: Russian in
    // Windows-1251 is never taken for UTF-8, and the same text in UTF-8 is.
    void encodingDecision() {
        using plaintext::Encoding;
        QRandomGenerator rng(1251);
        const char *const pieces[] = {"a", " ", "\xD0\x96", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC0\xAF",
                                      "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80", "\xFF", "\xC6", "\xEF\xBB\xBF"};
        for (int n = 0; n < 20000; ++n) {
            QByteArray bytes;
            for (int k = rng.bounded(12); k > 0; --k)
                bytes += pieces[rng.bounded(int(std::size(pieces)))];
            const bool valid = QString::fromUtf8(bytes).toUtf8() == bytes;
            const bool multiByte = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
            const Encoding expected = bytes.startsWith("\xEF\xBB\xBF") ? Encoding::Utf8Bom
                                      : valid && multiByte             ? Encoding::Utf8
                                                                       : Encoding::Cp1251;
            QVERIFY2(plaintext::detect(bytes) == expected, bytes.toHex().constData());
        }
        QStringList texts; // the help, and the text exports of other word processors
        texts << *rtf::readText(testsupport::readFile(testsupport::dataPath(QStringLiteral("../../share/tessarin/README.rtf"))));
        for (const char *name : {"libreoffice.txt", "abiword-ru.txt", "pandoc.txt"})
            texts << QString::fromUtf8(testsupport::readFile(testsupport::dataPath(QStringLiteral("corpus/") + QLatin1String(name))))
                         .remove(QChar(0xFEFF));
        QVERIFY(texts.front().size() > 5000);
        for (QString &text : texts) {
            text.remove(QRegularExpression(QStringLiteral("[^\\x{0}-\\x{7f}\\x{400}-\\x{4ff}«»—–…№ ]"))); // what Windows-1251 has
            QCOMPARE(plaintext::detect(cp1251::encode(text)), Encoding::Cp1251);
            QCOMPARE(plaintext::detect(text.toUtf8()), Encoding::Utf8);
            // One bad byte at the very end makes the whole file Windows-1251.
            QCOMPARE(plaintext::detect(text.toUtf8() + "\xE9"), Encoding::Cp1251);
        }
    }

    void loadsRtfByMode() {
        QTextDocument doc;
        fill(doc);
        docio::save(path(QStringLiteral("doc.txt")), false, doc); // the extension plays no part
        QCOMPARE(readFile(path(QStringLiteral("doc.txt"))), rtf::write(doc));

        QTextDocument rich;
        rich.setPlainText(QStringLiteral("old contents"));
        docio::load(path(QStringLiteral("doc.txt")), false, rich);
        QCOMPARE(doccompare::firstDifference(doc, rich), QString());
        QVERIFY(!rich.isUndoAvailable());
        QVERIFY(rich.isUndoRedoEnabled());

        // Plain-text mode shows the markup.
        QTextDocument plain;
        docio::load(path(QStringLiteral("doc.txt")), true, plain);
        QCOMPARE(plaintext::write(plain), rtf::write(doc));
    }

    // Not RTF in RTF mode: plain text, in the plain format, the empty last line too.
    void fallsBackToPlainText() {
        writeFile(path(QStringLiteral("a.rtf")), cp1251::encode(u"Привет\r\nмир\r\n"));
        QTextDocument doc;
        DocLayout::install(&doc); // lays out what is asked about
        const QTextCharFormat fmt = arial(12);
        docio::load(path(QStringLiteral("a.rtf")), false, doc, fmt);
        QCOMPARE(doc.blockCount(), 3);
        QCOMPARE(doc.lastBlock().layout()->lineCount(), 0); // not laid out on reading: a 50 MB line took 0.5 s
        QCOMPARE(plaintext::text(doc), QString::fromUtf8("Привет\r\nмир\r\n"));
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            QCOMPARE(docformat::fontName(b.charFormat()), QStringLiteral("Arial"));
        QCOMPARE(docformat::fontName(QTextCursor(doc.begin()).charFormat()), QStringLiteral("Arial"));

        writeFile(path(QStringLiteral("empty")), {});
        QTextDocument empty;
        docio::load(path(QStringLiteral("empty")), false, empty, fmt);
        QVERIFY(empty.isEmpty());
        QCOMPARE(empty.begin().charFormat().fontPointSize(), 12.0);
    }

    // A binary file loads as text: zero bytes drop, every other byte stays.
    void binaryAndEveryByte() {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                all.append(char(b));
        writeFile(path(QStringLiteral("bytes")), all);
        for (bool plainText : {true, false}) {
            QTextDocument doc;
            docio::load(path(QStringLiteral("bytes")), plainText, doc);
            docio::save(path(QStringLiteral("bytes.out")), true, doc);
            QCOMPARE(readFile(path(QStringLiteral("bytes.out"))), all);
        }
        QByteArray binary("\x7f" "ELF\x02\x01\x01", 7);
        binary += QByteArray(5, '\0') + "\x03\x00\x3e\xff\xfe" + all.left(40);
        writeFile(path(QStringLiteral("binary")), binary);
        QTextDocument doc;
        docio::load(path(QStringLiteral("binary")), false, doc);
        QCOMPARE(plaintext::write(doc), QByteArray(binary).replace('\0', QByteArray()));
    }

    void serializes() {
        QTextDocument doc;
        fill(doc);
        QCOMPARE(docio::serialize(doc, false), rtf::write(doc));
        QCOMPARE(docio::serialize(doc, true), plaintext::write(doc));
        QCOMPARE(docio::serialize(doc, true), cp1251::encode(u"Жирный текст\r\n{\\rtf1 not markup}"));
    }

    void cannotOpen() {
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("kept"));
        const QString missing = path(QStringLiteral("missing.rtf"));
        QCOMPARE(errorOf([&] { docio::load(missing, false, doc); }),
                 QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(missing));
        QCOMPARE(errorOf([&] { docio::load(dir_.path(), false, doc); }),
                 QStringLiteral("Cannot open file \"%1\". Is a directory").arg(dir_.path()));
        // A relative name is reported with its full path.
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        const QString relative = errorOf([&] { docio::load(QStringLiteral("missing.rtf"), true, doc); });
        QDir::setCurrent(cwd);
        QCOMPARE(relative, QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(missing));
        QCOMPARE(doc.toPlainText(), QStringLiteral("kept"));

        writeFile(path(QStringLiteral("secret")), "x");
        QFile::setPermissions(path(QStringLiteral("secret")), QFileDevice::WriteOwner);
        if (QFile(path(QStringLiteral("secret"))).open(QIODevice::ReadOnly))
            QSKIP("running as root: permissions do not deny reading");
        QCOMPARE(errorOf([&] { docio::load(path(QStringLiteral("secret")), false, doc); }),
                 QStringLiteral("Cannot open file \"%1\". Permission denied").arg(path(QStringLiteral("secret"))));
    }

    // Larger than the editor's text limit: a sparse file, nothing is read.
    void tooLarge() {
        const QString big = path(QStringLiteral("big"));
        {
            QFile f(big);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(docio::kTextLimit + 1));
        }
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("kept"));
        for (bool plainText : {false, true})
            QCOMPARE(errorOf([&] { docio::load(big, plainText, doc); }), QStringLiteral("Failed to Load Stream"));
        QCOMPARE(doc.toPlainText(), QStringLiteral("kept"));
        QFile::remove(big);
    }

    // File names that are not UTF-8 load and save under their own bytes.
    void nonUtf8Names() {
        const QByteArray raw = QFile::encodeName(dir_.path()) + "/\xcf\xf0\xe8\xe2\xe5\xf2.txt"; // "Привет" in cp1251
        const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "abc", 3), ssize_t(3));
        ::close(fd);
        const QString name = docio::decodePath(raw);
        QCOMPARE(docio::encodePath(name), raw);
        QTextDocument doc;
        docio::load(name, false, doc);
        QCOMPARE(doc.toPlainText(), QStringLiteral("abc"));
        doc.setPlainText(QStringLiteral("new"));
        docio::save(name, true, doc);
        char buf[8] = {};
        const int in = ::open(raw.constData(), O_RDONLY);
        QCOMPARE(::read(in, buf, sizeof buf), ssize_t(3));
        ::close(in);
        QCOMPARE(QByteArray(buf), QByteArray("new"));
        ::unlink(raw.constData()); // Qt cannot name it to clean up
        // UTF-8 names decode as Qt's do.
        const QByteArray utf8 = QString::fromUtf8("/tmp/Привет 😀.rtf").toUtf8();
        QCOMPARE(docio::decodePath(utf8), QFile::decodeName(utf8));
        QCOMPARE(docio::encodePath(QFile::decodeName(utf8)), utf8);
        // Broken sequences, overlong forms and encoded surrogates are bytes.
        for (const QByteArray &bad : {QByteArray("\xc0\xaf"), QByteArray("\xed\xa0\x80"), QByteArray("a\xe2\x82"),
                                     QByteArray("\xf4\x90\x80\x80"), QByteArray("\xff")})
            QCOMPARE(docio::encodePath(docio::decodePath(bad)), bad);
    }

    // Permissions, extended attributes (a file manager's tag) and the link
    // survive a save that replaces the file.
    void keepsLinkAndPermissions() {
        const QString target = path(QStringLiteral("target.rtf"));
        const QString link = path(QStringLiteral("link.rtf"));
        writeFile(target, "old");
        const QByteArray native = QFile::encodeName(target);
        const bool tagged = ::setxattr(native.constData(), "user.xdg.tags", "red", 3, 0) == 0;
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadGroup));
        QVERIFY(QFile::link(QStringLiteral("target.rtf"), link)); // relative link
        QTextDocument doc;
        fill(doc);
        docio::save(link, false, doc);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(target), rtf::write(doc));
        QCOMPARE(QFile::permissions(target), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                 QFileDevice::ReadGroup);
        if (tagged) { // (where the file system keeps user attributes)
            char tag[8] = {};
            QCOMPARE(::getxattr(native.constData(), "user.xdg.tags", tag, sizeof tag), ssize_t(3));
            QCOMPARE(QByteArray(tag), QByteArray("red"));
        }
        // A new file gets 0666 less the umask, as any file; no temporary stays.
        const QString fresh = path(QStringLiteral("fresh.txt"));
        docio::save(fresh, true, doc);
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(fresh).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), int(0666 & ~mask));
        QCOMPARE(QDir(dir_.path()).entryList(QStringList{QStringLiteral(".*.tmp")}, QDir::Hidden | QDir::Files),
                 QStringList());
    }

    // A failed save leaves the old file whole and says why.
    void failedSaves() {
        QTextDocument doc;
        fill(doc);
        // A folder where the file should be.
        const QString folder = path(QStringLiteral("folder.rtf"));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(errorOf([&] { docio::save(folder, false, doc); }),
                 QStringLiteral("Cannot create file \"%1\". Is a directory").arg(folder));
        QVERIFY(QFileInfo(folder).isDir());
        // A folder that does not exist.
        const QString nowhere = path(QStringLiteral("no/such.rtf"));
        QCOMPARE(errorOf([&] { docio::save(nowhere, false, doc); }),
                 QStringLiteral("Cannot create file \"%1\". No such file or directory").arg(nowhere));

        // A new file in a folder where nothing can be created.
        const QString locked = path(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        {
            LockedFolder lock(locked);
            if (!lock.locked())
                QSKIP("cannot take the right to create files away here");
            const QString fresh = locked + QStringLiteral("/new.rtf");
            const QString message = errorOf([&] { docio::save(fresh, false, doc); });
            QVERIFY2(message.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(fresh)), qPrintable(message));
        }
        QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // The temporary files of saves a crash cut short go at the next save: not
    // one a running save holds locked, nor a fresh one, nor another file's.
    void staleTemporaryFilesGo() {
        const QString doc = path(QStringLiteral("crashed.rtf"));
        writeFile(doc, "old");
        const auto make = [&](const char *name, bool old) {
            const QString p = path(QString::fromLatin1(name));
            writeFile(p, "partial");
            QFile f(p);
            if (old && f.open(QIODevice::ReadWrite))
                f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
            return p;
        };
        const QString stale = make(".crashed.rtf.0badc0de.tmp", true);
        const QString held = make(".crashed.rtf.12345678.tmp", true);
        const QString fresh = make(".crashed.rtf.9abcdef0.tmp", false);
        const QString other = make(".other.rtf.0badc0de.tmp", true);
        const int fd = ::open(QFile::encodeName(held).constData(), O_RDONLY);
        QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
        QTextDocument text;
        text.setPlainText(QStringLiteral("new"));
        docio::save(doc, true, text);
        ::close(fd);
        QCOMPARE(readFile(doc), QByteArray("new"));
        QVERIFY(!QFile::exists(stale));
        QVERIFY(QFile::exists(held) && QFile::exists(fresh) && QFile::exists(other));
        for (const QString &p : {held, fresh, other})
            QFile::remove(p);
    }

    // Writing fails half way (the file size limit): the old file stays whole.
    void writeFailure() {
        const QString old = path(QStringLiteral("limited.rtf"));
        writeFile(old, "old contents");
        QTextDocument doc;
        doc.setPlainText(QString(100000, QLatin1Char('x')));
        QString message;
        testsupport::withFileSizeLimit(4096, [&] { message = errorOf([&] { docio::save(old, true, doc); }); });
        QCOMPARE(message, QStringLiteral("Failed to Save Stream. Файл больше, чем разрешено. Прежний файл не изменён."));
        QCOMPARE(readFile(old), QByteArray("old contents"));
        QCOMPARE(QDir(dir_.path()).entryList(QStringList{QStringLiteral(".*.tmp")}, QDir::Hidden | QDir::Files),
                 QStringList());
    }

    // A save replaces the file by a new one where that is safe, so that a
    // failed save leaves the old file whole; elsewhere it writes into the file
    // itself, as create-or-empty does, keeping its old bytes to put back when
    // the write fails; a FIFO nobody reads fails at once.
    void saveTakesTheWayThePlaceAllows_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("atomic");
        QTest::newRow("new file") << QStringLiteral("new") << true;
        QTest::newRow("regular file, writable folder") << QStringLiteral("regular") << true;
        QTest::newRow("symbolic link") << QStringLiteral("symlink") << true;
        QTest::newRow("writable file, locked folder") << QStringLiteral("locked") << false;
        QTest::newRow("hard link") << QStringLiteral("hardlink") << false;
        QTest::newRow("FIFO without reader") << QStringLiteral("fifo") << false;
    }
    void saveTakesTheWayThePlaceAllows() {
        QFETCH(QString, kind);
        QFETCH(bool, atomic);
        const testsupport::SavePlace place(dir_.path(), kind, "old text");
        if (!place.ready)
            QSKIP("this kind of place cannot be made here");
        const quint64 inode = inodeOf(place.path);
        QTextDocument doc;
        doc.setPlainText(QString(5000, QLatin1Char('n')));
        const QByteArray saved = plaintext::write(doc);
        QElapsedTimer timer;
        timer.start();
        const QString message = errorOf([&] { docio::save(place.path, true, doc); });
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(message, QStringLiteral("Cannot create file \"%1\". No such device or address").arg(place.path));
            QVERIFY(QFileInfo(place.path).exists() && !QFileInfo(place.path).isFile()); // still the FIFO
            return;
        }
        QCOMPARE(message, QString());
        QCOMPARE(readFile(place.path), saved);
        if (!place.other.isEmpty())
            QCOMPARE(readFile(place.other), saved); // the link's target, the other name
        QCOMPARE(QFileInfo(place.path).isSymLink(), kind == QLatin1String("symlink"));
        if (inode)
            QCOMPARE(inodeOf(place.path) != inode, atomic);
        QCOMPARE(testsupport::namesIn(QFileInfo(place.path).path()), place.names()); // no temporary file left
        // A save that fails half way leaves what was there whole, in place too.
        doc.setPlainText(QStringLiteral("short"));
        docio::save(place.path, true, doc);
        doc.setPlainText(QString(100000, QLatin1Char('x')));
        QString failed;
        testsupport::withFileSizeLimit(4096, [&] { failed = errorOf([&] { docio::save(place.path, true, doc); }); });
        QCOMPARE(failed, QStringLiteral("Failed to Save Stream. Файл больше, чем разрешено. Прежний файл не изменён."));
        QCOMPARE(readFile(place.path), QByteArray("short"));
        if (!place.other.isEmpty())
            QCOMPARE(readFile(place.other), QByteArray("short"));
    }

    // A FIFO someone reads gets the text; when the reader goes away half way,
    // the save fails and the program goes on (no SIGPIPE).
    void saveIntoFifoWithReader() {
        const QString fifo = path(QStringLiteral("save.fifo"));
        QVERIFY(testsupport::makeFifo(fifo));
        QTextDocument doc;
        doc.setPlainText(QString(1 << 20, QLatin1Char('f'))); // more than a pipe holds
        const QByteArray text = plaintext::write(doc);
        for (const qsizetype readerTakes : {text.size(), qsizetype(1)}) {
            const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
            QVERIFY(reader >= 0);
            QByteArray received;
            std::thread drain([&] {
                QElapsedTimer timer;
                timer.start();
                char buffer[65536];
                while (received.size() < readerTakes && timer.elapsed() < 5000) {
                    const qsizetype wanted = qMin<qsizetype>(sizeof buffer, readerTakes - received.size());
                    const ssize_t n = ::read(reader, buffer, size_t(wanted));
                    if (n > 0)
                        received.append(buffer, n);
                    else
                        std::this_thread::sleep_for(std::chrono::milliseconds(1)); // no writer yet, or nothing yet
                }
                ::close(reader);
            });
            const QString message = errorOf([&] { docio::save(fifo, true, doc); });
            drain.join();
            if (readerTakes == text.size()) {
                QCOMPARE(message, QString());
                QVERIFY(received == text);
            } else {
                QVERIFY2(message.startsWith(QStringLiteral("Failed to Save Stream. ")), qPrintable(message));
            }
        }
    }

    // Only regular files are read: anything else fails at once, never blocks
    // (a FIFO nobody writes) and never reads without end (a device).
    void loadRefusesWhatIsNotARegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // empty: it loads
        QTest::newRow("FIFO with no writer") << QStringLiteral("fifo") << QStringLiteral("Not a regular file");
        QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero") << QStringLiteral("Not a regular file");
        QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("Is a directory");
        QTest::newRow("socket") << QStringLiteral("socket") << QStringLiteral("Not a regular file");
        QTest::newRow("regular file") << QStringLiteral("file") << QString();
    }
    void loadRefusesWhatIsNotARegularFile() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString target = kind.startsWith(u'/') ? kind : path(QStringLiteral("kind-") + kind);
        std::optional<testsupport::FileOfKind> made;
        if (!kind.startsWith(u'/')) {
            made.emplace(kind, target);
            QVERIFY(made->made());
        }
        for (bool plainText : {false, true}) {
            QTextDocument doc;
            doc.setPlainText(QStringLiteral("kept"));
            QElapsedTimer timer;
            timer.start();
            const QString message = errorOf([&] { docio::load(target, plainText, doc); });
            QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
            if (reason.isEmpty()) {
                QCOMPARE(message, QString());
                QCOMPARE(doc.toPlainText(), QStringLiteral("text"));
            } else {
                QCOMPARE(message, QStringLiteral("Cannot open file \"%1\". %2").arg(target, reason));
                QCOMPARE(doc.toPlainText(), QStringLiteral("kept"));
            }
        }
    }

    void refusesReadOnlyFile() {
        const QString file = path(QStringLiteral("readonly.rtf"));
        writeFile(file, "old");
        QFile::setPermissions(file, QFileDevice::ReadOwner);
        QTextDocument doc;
        const QString message = errorOf([&] { docio::save(file, true, doc); });
        if (message.isEmpty())
            QSKIP("running as root: permissions do not deny writing");
        QCOMPARE(message, QStringLiteral("Cannot create file \"%1\". Permission denied").arg(file));
        QCOMPARE(readFile(file), QByteArray("old"));
    }
};

QTEST_MAIN(DocioTest)
#include "docio_test.moc"
