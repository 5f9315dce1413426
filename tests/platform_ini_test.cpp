// The settings file: Windows private-profile reading, in-place writes, bad
// and huge files, and where the file lives.
#include "platform/error.h"
#include "platform/inifile.h"
#include "platform/settingspath.h"
#include "tests/support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

#include <unistd.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

QString errorOfWrite(IniFile &ini, const QString &section, const QString &key, int value) {
    try {
        ini.writeInteger(section, key, value);
    } catch (const tessarin::Error &e) {
        return e.message();
    }
    return {};
}

QByteArray hashOfFile(const QString &path, qint64 from) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(from))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&f);
    return hash.result();
}

// A file of `megabytes` MB: the given head, then lines of settings-like garbage.
void writeBigFile(const QString &path, const QByteArray &head, int megabytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(head);
    QByteArray chunk;
    while (chunk.size() < (1 << 20))
        chunk += "Key" + QByteArray::number(chunk.size()) + "=some value that is not looked at\n";
    chunk.truncate(1 << 20);
    chunk.back() = '\n';
    for (int i = 0; i < megabytes; ++i)
        QCOMPARE(f.write(chunk), chunk.size());
}

bool runningAsRoot() {
    return ::geteuid() == 0;
}

} // namespace

class IniTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString file(const QString &name) const { return dir_.filePath(name); }

private slots:
    void integers_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << QByteArray("640") << 640;
        QTest::newRow("blanks around") << QByteArray(" \t 640 \t") << 640;
        QTest::newRow("negative") << QByteArray("-12") << -12;
        QTest::newRow("plus sign") << QByteArray("+12") << 12;
        QTest::newRow("0x") << QByteArray("0x20") << 32;
        QTest::newRow("0X") << QByteArray("0X2a") << 42;
        QTest::newRow("dollar") << QByteArray("$20") << 32;
        QTest::newRow("dollar, negative") << QByteArray("-$10") << -16;
        QTest::newRow("eight hex digits wrap") << QByteArray("$FFFFFFFF") << -1;
        QTest::newRow("nine hex digits") << QByteArray("$100000000") << 192;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
        QTest::newRow("too large") << QByteArray("2147483648") << 192;
        QTest::newRow("quoted") << QByteArray("\"77\"") << 77;
        QTest::newRow("abc") << QByteArray("abc") << 192;
        QTest::newRow("empty") << QByteArray("") << 192;
        QTest::newRow("0x alone") << QByteArray("0x") << 192;
        QTest::newRow("dollar alone") << QByteArray("$") << 192;
        QTest::newRow("sign alone") << QByteArray("-") << 192;
        QTest::newRow("trailing letters") << QByteArray("12px") << 192;
        QTest::newRow("inner blank") << QByteArray("1 2") << 192;
        QTest::newRow("fraction") << QByteArray("1.5") << 192;
        QTest::newRow("hex digit in decimal") << QByteArray("1A") << 192;
        QTest::newRow("bad hex digit") << QByteArray("0x1G") << 192;
        QTest::newRow("arabic-indic digits") << QByteArray("\xd9\xa3") << 192;
        QTest::newRow("fullwidth digits") << QByteArray("\xef\xbc\x93") << 192;
    }
    void integers() {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        const QString path = file("int.ini");
        writeFile(path, "[FORM]\nLeft=" + value + "\n");
        QCOMPARE(IniFile(path).readInteger("FORM", "Left", 192), expected);
    }

    void namesAndOccurrences() {
        const QString path = file("names.ini");
        writeFile(path, "; comment line\n"
                        "Top=1\n"
                        "[form]\n"
                        "  LEFT = 10 \n"
                        "left=20\n"
                        "; Width=5\n"
                        "Height\n"
                        "[Other]\n"
                        "Left=99\n"
                        "[ FORM ]\n"
                        "Left=30\n"
                        "Top=40\n"
                        "[Форма]\n"
                        "Ключ=5\n");
        const IniFile ini(path);
        QCOMPARE(ini.readInteger("FORM", "Left", 0), 10);      // case-insensitive, first key wins
        QCOMPARE(ini.readInteger("FORM", "Top", -1), -1);      // a later section of the same name is not looked at
        QCOMPARE(ini.readInteger("form", "Width", -1), -1);    // a comment is no key
        QCOMPARE(ini.readInteger("other", "LEFT", 0), 99);
        QCOMPARE(ini.readInteger("", "Top", -1), -1);          // keys before any section belong to none
        QCOMPARE(ini.readInteger("ФОРМА", "ключ", 0), 5);      // Cyrillic folds too
        QCOMPARE(ini.readString("FORM", "Height", "def"), QString()); // a key without "=" is empty
        QCOMPARE(ini.readString("FORM", "Missing", "def"), QString("def"));
        QCOMPARE(ini.readString("Missing", "Left", "def"), QString("def"));
    }

    void strings() {
        const QString path = file("strings.ini");
        writeFile(path, "\xEF\xBB\xBF[FILE]\r\n"
                        "OpenFile=  /home/пользователь/a b.rtf  \r\n"
                        "Eq=a=b=c\r\n"
                        "Empty=\r\n"
                        "Quoted=\"  spaced  \"\r\n"
                        "Single='x'\r\n"
                        "Half=\"x\r\n");
        const IniFile ini(path);
        QCOMPARE(ini.readString("FILE", "OpenFile", {}), QString("/home/пользователь/a b.rtf"));
        QCOMPARE(ini.readString("FILE", "Eq", {}), QString("a=b=c"));
        QCOMPARE(ini.readString("FILE", "Empty", "def"), QString());
        QCOMPARE(ini.readString("FILE", "Quoted", {}), QString("  spaced  "));
        QCOMPARE(ini.readString("FILE", "Single", {}), QString("x"));
        QCOMPARE(ini.readString("FILE", "Half", {}), QString("\"x"));
    }

    void fileIsReadOnce() {
        const QString path = file("once.ini");
        writeFile(path, "[FORM]\nLeft=1\n");
        const IniFile ini(path);
        QCOMPARE(ini.readInteger("FORM", "Left", 0), 1);
        writeFile(path, "[FORM]\nLeft=2\n");
        QCOMPARE(ini.readInteger("FORM", "Left", 0), 1);
        QCOMPARE(IniFile(path).readInteger("FORM", "Left", 0), 2);
    }

    void missingOrUnreadableFiles() {
        QCOMPARE(IniFile(file("nothing-here.ini")).readInteger("FORM", "Left", 192), 192);
        QCOMPARE(IniFile(dir_.path()).readInteger("FORM", "Left", 192), 192); // a folder
        QCOMPARE(IniFile("/dev/zero").readInteger("FORM", "Left", 192), 192);  // endless device
        QCOMPARE(IniFile(QString()).readInteger("FORM", "Left", 192), 192);
    }

    void writeKeepsEverythingElse() {
        const QString path = file("keep.ini");
        const QByteArray before = "; my settings\r\n"
                                  "[Window]\r\n"
                                  "Left=5\r\n"
                                  "\r\n"
                                  "[FORM]\r\n"
                                  "  left = 5  \r\n"
                                  "Other=\xff\xfe not UTF-8\r\n"
                                  "; trailing comment\r\n"
                                  "\r\n"
                                  "[Last]\r\n"
                                  "Top=3";
        writeFile(path, before);
        IniFile ini(path);
        ini.writeInteger("form", "LEFT", 500);   // in place, the file's own spelling kept
        ini.writeInteger("FORM", "Top", 114);    // after the section's last line
        ini.writeInteger("Last", "Width", 703);  // the section ends the file without a line break
        ini.writeString("FILE", "OpenFile", "/tmp/a.rtf"); // new section at the end
        QCOMPARE(readFile(path), QByteArray("; my settings\r\n"
                                            "[Window]\r\n"
                                            "Left=5\r\n"
                                            "\r\n"
                                            "[FORM]\r\n"
                                            "  left = 500  \r\n"
                                            "Other=\xff\xfe not UTF-8\r\n"
                                            "; trailing comment\r\n"
                                            "Top=114\r\n"
                                            "\r\n"
                                            "[Last]\r\n"
                                            "Top=3\r\n"
                                            "Width=703\r\n"
                                            "[FILE]\r\n"
                                            "OpenFile=/tmp/a.rtf\r\n"));
        const IniFile again(path);
        QCOMPARE(again.readInteger("FORM", "Left", 0), 500);
        QCOMPARE(again.readInteger("FORM", "Top", 0), 114);
        QCOMPARE(again.readInteger("Window", "Left", 0), 5);
        QCOMPARE(again.readString("FILE", "OpenFile", {}), QString("/tmp/a.rtf"));
        // Reads through the writing object see its writes.
        QCOMPARE(ini.readInteger("FORM", "Left", 0), 500);
    }

    void newFileInOrderOfWriting() {
        const QString path = file("sub/dir/new.ini"); // missing folders are created
        IniFile ini(path);
        ini.writeString("FILE", "OpenFile", "/home/u/Документ.rtf");
        ini.writeInteger("FORM", "Left", 192);
        ini.writeInteger("FORM", "Top", 114);
        ini.writeInteger("FORM", "Width", 703);
        ini.writeInteger("FORM", "Height", 538);
        QCOMPARE(readFile(path), QByteArray("[FILE]\nOpenFile=/home/u/Документ.rtf\n"
                                            "[FORM]\nLeft=192\nTop=114\nWidth=703\nHeight=538\n"));
        // A second close rewrites the same keys in place.
        IniFile second(path);
        second.writeInteger("FORM", "Left", -8);
        second.writeString("FILE", "OpenFile", "line\nbreak");
        QCOMPARE(readFile(path), QByteArray("[FILE]\nOpenFile=line break\n"
                                            "[FORM]\nLeft=-8\nTop=114\nWidth=703\nHeight=538\n"));
    }

    void appendToFileWithoutLineBreak() {
        const QString path = file("nobreak.ini");
        writeFile(path, "[A]\nx=1");
        IniFile(path).writeInteger("B", "y", 2);
        QCOMPARE(readFile(path), QByteArray("[A]\nx=1\n[B]\ny=2\n"));
    }

    void keyWithoutEqualsIsRewritten() {
        const QString path = file("noeq.ini");
        writeFile(path, "[FORM]\nLeft  \nTop=1\n");
        IniFile(path).writeInteger("FORM", "left", 7);
        QCOMPARE(readFile(path), QByteArray("[FORM]\nLeft=7  \nTop=1\n"));
    }

    void writeFailures() {
        const QString inProc = "/proc/tessarin-test/Tessarin.ini";
        IniFile proc(inProc);
        QCOMPARE(errorOfWrite(proc, "FORM", "Left", 1), QString("Unable to write to " + inProc));

        // A folder standing where the file should be.
        const QString folder = file("folder.ini");
        QVERIFY(QDir().mkpath(folder + "/inside"));
        IniFile onFolder(folder);
        QCOMPARE(errorOfWrite(onFolder, "FORM", "Left", 1), "Unable to write to " + folder);
        QVERIFY(QFileInfo(folder).isDir());

        if (runningAsRoot())
            QSKIP("permission bits do not stop root");
        const QString readOnly = file("readonly.ini");
        writeFile(readOnly, "[FORM]\nLeft=1\n");
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        IniFile ro(readOnly);
        QCOMPARE(errorOfWrite(ro, "FORM", "Left", 2), "Unable to write to " + readOnly);
        QCOMPARE(readFile(readOnly), QByteArray("[FORM]\nLeft=1\n"));
    }

    void existingFileInReadOnlyFolder() {
        if (runningAsRoot())
            QSKIP("permission bits do not stop root");
        const QString folder = file("rofolder");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/Tessarin.ini";
        writeFile(path, "[FORM]\nLeft=1\n");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        IniFile ini(path);
        const QString error = errorOfWrite(ini, "FORM", "Left", 2);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(error, QString());
        QCOMPARE(readFile(path), QByteArray("[FORM]\nLeft=2\n"));
    }

    // A write replaces the file by a new one where that is safe, so that a
    // failed write leaves the old file whole; elsewhere it writes into the
    // file itself, and a FIFO standing there fails at once.
    void writeTakesTheWayThePlaceAllows_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("atomic");
        QTest::addColumn<int>("megabytes"); // of lines after the section
        QTest::newRow("new file") << "new" << true << 0;
        QTest::newRow("regular file, writable folder") << "regular" << true << 0;
        QTest::newRow("symbolic link") << "symlink" << true << 0;
        QTest::newRow("writable file, locked folder") << "locked" << false << 0;
        QTest::newRow("larger than the read head, locked folder") << "locked" << false << 2;
        QTest::newRow("hard link") << "hardlink" << false << 0;
        QTest::newRow("FIFO without reader") << "fifo" << false << 0;
    }
    void writeTakesTheWayThePlaceAllows() {
        QFETCH(QString, kind);
        QFETCH(bool, atomic);
        QFETCH(int, megabytes);
        QByteArray old = "[FORM]\nLeft=1\n";
        for (int i = 0; old.size() < megabytes << 20; ++i)
            old += "Key" + QByteArray::number(i) + "=a value that is not looked at\n";
        const testsupport::SavePlace place(dir_.path(), kind, old);
        if (!place.ready)
            QSKIP("this kind of place cannot be made here");
        const quint64 inode = testsupport::inodeOf(place.path);
        IniFile ini(place.path);
        QElapsedTimer timer;
        timer.start();
        const QString error = errorOfWrite(ini, "FORM", "Left", 2);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        if (kind == "fifo") {
            QCOMPARE(error, "Unable to write to " + place.path);
            QVERIFY(QFileInfo(place.path).exists() && !QFileInfo(place.path).isFile()); // still the FIFO
            return;
        }
        QCOMPARE(error, QString());
        const QByteArray expected = kind == "new" ? "[FORM]\nLeft=2\n" : QByteArray(old).replace("Left=1", "Left=2");
        QVERIFY(readFile(place.path) == expected);
        if (!place.other.isEmpty())
            QVERIFY(readFile(place.other) == expected); // the link's target, the other name
        QCOMPARE(QFileInfo(place.path).isSymLink(), kind == "symlink");
        if (inode)
            QCOMPARE(testsupport::inodeOf(place.path) != inode, atomic);
        QCOMPARE(testsupport::namesIn(QFileInfo(place.path).path()), place.names()); // no temporary file left
        if (atomic) {
            // A write that fails half way leaves the file whole.
            QString failed;
            testsupport::withFileSizeLimit(4096, [&] {
                try {
                    ini.writeString("FORM", "Left", QString(10000, 'x'));
                } catch (const tessarin::Error &e) {
                    failed = e.message();
                }
            });
            QCOMPARE(failed, "Unable to write to " + place.path);
            QVERIFY(readFile(place.path) == expected);
        }
    }

    // Programs writing the file at once lose none of each other's values:
    // each read-modify-rename waits for the other's.
    void writersTakeTurns() {
        const QString path = file(QStringLiteral("turns.ini"));
        constexpr int kRounds = 60;
        const auto writer = [&](const char *key) {
            for (int i = 1; i <= kRounds; ++i)
                IniFile(path).writeStrings(QStringLiteral("FORM"), {{QLatin1String(key), QString::number(i)},
                                                                    {QStringLiteral("Last"), QString::number(i)}});
        };
        std::thread a(writer, "A"), b(writer, "B");
        a.join();
        b.join();
        const IniFile ini(path);
        QCOMPARE(ini.readInteger(QStringLiteral("FORM"), QStringLiteral("A"), 0), kRounds);
        QCOMPARE(ini.readInteger(QStringLiteral("FORM"), QStringLiteral("B"), 0), kRounds);
        QCOMPARE(ini.readInteger(QStringLiteral("FORM"), QStringLiteral("Last"), 0), kRounds);
    }

    void linksAndPermissionsSurvive() {
        const QString target = file("real.ini");
        const QString link = file("link.ini");
        writeFile(target, "[FORM]\nLeft=1\n");
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QVERIFY(QFile::link(target, link));
        IniFile(link).writeInteger("FORM", "Left", 2);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(target), QByteArray("[FORM]\nLeft=2\n"));
        const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                            QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFileInfo(target).permissions() & modeBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        // No temporary file is left behind.
        QVERIFY(!QDir(dir_.path()).entryList({"real.ini.*", "link.ini.*"}, QDir::Files | QDir::Hidden).size());
    }

    void hundredMegabyteFile() {
        const QString path = file("huge.ini");
        const QByteArray head = "[FORM]\nLeft=77\n";
        writeBigFile(path, head, 100);
        QElapsedTimer timer;
        timer.start();
        const int left = IniFile(path).readInteger("FORM", "Left", 192);
        const qint64 readMs = timer.elapsed();
        QCOMPARE(left, 77);
        qInfo("read of a 100 MB settings file: %lld ms", readMs);
        QVERIFY2(readMs < 500, "reading must not depend on the file's size");

        // A write rewrites the key and copies the rest of the file unchanged.
        const QByteArray restHash = hashOfFile(path, head.size());
        const qint64 size = QFileInfo(path).size();
        timer.restart();
        IniFile(path).writeInteger("FORM", "Left", 1234);
        qInfo("write into a 100 MB settings file: %lld ms", timer.elapsed());
        QCOMPARE(QFileInfo(path).size(), size + 2);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(17), QByteArray("[FORM]\nLeft=1234\n"));
        QCOMPARE(hashOfFile(path, head.size() + 2), restHash);

        // A section missing from the file is appended at its very end.
        IniFile(path).writeString("FILE", "OpenFile", "/x");
        QFile replaced(path);
        QVERIFY(replaced.open(QIODevice::ReadOnly) && replaced.seek(size + 2));
        QCOMPARE(replaced.readAll(), QByteArray("[FILE]\nOpenFile=/x\n"));
        QVERIFY(QFile::remove(path));
    }

    void sparseHugeFileIsNotReadWhole() {
        // 64 GB of holes: reading it whole would exhaust memory.
        const QString path = file("sparse.ini");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[FORM]\nLeft=5\n");
        if (!f.resize(qint64(64) << 30))
            QSKIP("no sparse files here");
        f.close();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(IniFile(path).readInteger("FORM", "Left", 192), 5);
        QVERIFY(timer.elapsed() < 500);
        QVERIFY(QFile::remove(path));
    }

    void longLinesAndGarbage() {
        const QString path = file("garbage.ini");
        // A long line within the read limit: the section after it counts.
        writeFile(path, QByteArray(700 * 1024, 'x') + "\n[FORM]\nLeft=5\n");
        QCOMPARE(IniFile(path).readInteger("FORM", "Left", 192), 5);
        // A value line of 1 MB, cut by the read limit: never half a value.
        writeFile(path, "[FORM]\nLeft=1" + QByteArray(2 << 20, '0') + "\n");
        QCOMPARE(IniFile(path).readInteger("FORM", "Left", 192), 192);
        // A section beyond the first megabyte is not seen; a write keeps every byte.
        const QByteArray big = QByteArray(2 << 20, '[') + "\n[FORM]\nLeft=5";
        writeFile(path, big);
        QCOMPARE(IniFile(path).readInteger("FORM", "Left", 192), 192);
        IniFile(path).writeInteger("FORM", "Top", 3);
        QCOMPARE(readFile(path), big + "\n[FORM]\nTop=3\n");

        // Random bytes with NULs and stray brackets and equals signs.
        QRandomGenerator random(20240501);
        for (int round = 0; round < 20; ++round) {
            QByteArray bytes(64 * 1024 + round * 997, '\0');
            for (char &c : bytes) {
                const quint32 r = random.bounded(20);
                c = r == 0 ? '\n' : r == 1 ? '[' : r == 2 ? ']' : r == 3 ? '=' : char(random.bounded(256));
            }
            writeFile(path, bytes);
            IniFile(path).readInteger("FORM", "Left", 192);
            IniFile(path).readString("FORM", "Top", {});
            IniFile(path).writeInteger("Tessarin settings", "Left", 42);
            QCOMPARE(IniFile(path).readInteger("TESSARIN SETTINGS", "left", 0), 42);
            QVERIFY(readFile(path).startsWith(bytes));
        }
    }

    void settingsPathInWritableFolder() {
        const QString exeDir = file("bin");
        QVERIFY(QDir().mkpath(exeDir));
        QCOMPARE(settingsFilePath(exeDir), exeDir + "/Tessarin.ini");
        QCOMPARE(settingsFilePath(exeDir + "/"), exeDir + "/Tessarin.ini");
        // Deciding leaves nothing behind in the folder.
        QCOMPARE(QDir(exeDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void settingsPathFallsBackToXdg() {
        const QString xdg = file("config");
        qputenv("XDG_CONFIG_HOME", xdg.toUtf8());
        const QString fallback = xdg + "/tessarin/Tessarin.ini";

        // A folder nobody can create files in, root included.
        QCOMPARE(settingsFilePath("/proc"), fallback);
        QCOMPARE(settingsFilePath("/proc/self"), fallback);
        // A folder standing where the file should be.
        const QString exeDir = file("bin2");
        QVERIFY(QDir().mkpath(exeDir + "/Tessarin.ini"));
        QCOMPARE(settingsFilePath(exeDir), fallback);
        // A folder that does not exist.
        QCOMPARE(settingsFilePath(file("no/such/folder")), fallback);

        // The first write creates the fallback's folder.
        IniFile(fallback).writeInteger("FORM", "Left", 1);
        QCOMPARE(readFile(fallback), QByteArray("[FORM]\nLeft=1\n"));

        // Without XDG_CONFIG_HOME, or with a relative one: ~/.config.
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(settingsFilePath("/proc"), QDir::homePath() + "/.config/tessarin/Tessarin.ini");
        qputenv("XDG_CONFIG_HOME", "relative/config");
        QCOMPARE(settingsFilePath("/proc"), QDir::homePath() + "/.config/tessarin/Tessarin.ini");
        qunsetenv("XDG_CONFIG_HOME");
    }

    void settingsPathByPermissions() {
        const QString xdg = file("config2");
        qputenv("XDG_CONFIG_HOME", xdg.toUtf8());
        const QString exeDir = file("bin555");
        QVERIFY(QDir().mkpath(exeDir));
        QFile::setPermissions(exeDir, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::ExeOther);
        const QString chosen = settingsFilePath(exeDir);
        if (runningAsRoot()) {
            // Root can write there, so that is where the file goes, and goes indeed.
            QCOMPARE(chosen, exeDir + "/Tessarin.ini");
            IniFile(chosen).writeInteger("FORM", "Left", 1);
            QVERIFY(QFile::exists(chosen));
        } else {
            QCOMPARE(chosen, xdg + "/tessarin/Tessarin.ini");
            // A portable copy: an existing writable file in the read-only folder.
            QFile::setPermissions(exeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            writeFile(exeDir + "/Tessarin.ini", "[FORM]\n");
            QFile::setPermissions(exeDir, QFile::ReadOwner | QFile::ExeOwner);
            QCOMPARE(settingsFilePath(exeDir), exeDir + "/Tessarin.ini");
            // ...but not a read-only one.
            QFile::setPermissions(exeDir + "/Tessarin.ini", QFile::ReadOwner);
            QCOMPARE(settingsFilePath(exeDir), xdg + "/tessarin/Tessarin.ini");
        }
        QFile::setPermissions(exeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_GUILESS_MAIN(IniTest)
#include "platform_ini_test.moc"
