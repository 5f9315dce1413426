// Recovery copies: the file format against damage, the copy kept while the
// document has unsaved changes and removed when it has none, and the
// question at start about copies of programs gone.
#include "app/tform1.h"
#include "editor/file_dialogs.h"
#include "editor/recovery.h"
#include "editor/rtf/reader.h"
#include "editor/tjre.h"
#include "format/statusbar.h"
#include "platform/messages.h"
#include "platform/modal.h"
#include "tests/support/testsupport.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString textOf(const QByteArray &rtf) {
    QTextDocument doc;
    rtf::read(rtf, doc);
    return doc.toPlainText();
}

// Answers the next message box with button; records its caption and text.
void answer(int button, QStringList *seen) {
    modal::answerNext([button, seen](QDialog &d) {
        auto &box = dynamic_cast<QMessageBox &>(d);
        *seen << box.windowTitle() + u'|' + box.text();
        return button;
    });
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
    QTemporaryDir state_;
    std::unique_ptr<TForm1> form_;

    TForm1 &form() { return *form_; }
    void type(const QString &text) {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(form_->JRE, &press);
        }
    }
    QStringList files() const { return testsupport::namesIn(recovery::folder()); }
    // A copy as a program that is gone left it: no one holds its lock.
    QString leaveCopy(const QString &id, const recovery::Copy &copy) {
        QDir().mkpath(recovery::folder());
        const QString path = recovery::folder() + u'/' + id + QStringLiteral(".recovery");
        testsupport::writeFile(path, recovery::encode(copy));
        testsupport::writeFile(recovery::folder() + u'/' + id + QStringLiteral(".lock"), {});
        return path;
    }

private slots:
    void initTestCase() { qputenv("XDG_STATE_HOME", state_.path().toUtf8()); }

    void init() {
        modal::clearAnswers();
        QDir(recovery::folder()).removeRecursively();
        form_ = std::make_unique<TForm1>(state_.filePath(QStringLiteral("Tessarin.ini")));
        form_->Recovery->SetDelays(20, 200);
    }
    void cleanup() {
        QCOMPARE(modal::pendingAnswers(), 0);
        form_.reset();
    }

    // Every cut and every changed byte of a copy is found out.
    void damageIsFound() {
        const recovery::Copy copy{true, plaintext::Encoding::Utf8Bom, QString::fromUtf8("/home/u/Письмо \xff.rtf"),
                                  "{\\rtf1 text\\par}"};
        const QByteArray bytes = recovery::encode(copy);
        const std::optional<recovery::Copy> back = recovery::decode(bytes);
        QVERIFY(back && back->plainText && back->encoding == copy.encoding && back->name == copy.name &&
                back->rtf == copy.rtf);
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            QVERIFY2(!recovery::decode(bytes.left(i)), qPrintable(QString::number(i)));
            QByteArray flipped = bytes;
            flipped[i] = char(flipped[i] ^ 0x20);
            QVERIFY2(!recovery::decode(flipped), qPrintable(QString::number(i)));
        }
    }

    // A copy follows the typing with the mode and the name, and goes with every
    // way the document stops having unsaved changes.
    void copyKeptWhileModified_data() {
        QTest::addColumn<QString>("end");
        for (const char *end : {"save", "new", "open", "exit no", "undo"})
            QTest::newRow(end) << QString::fromLatin1(end);
    }
    void copyKeptWhileModified() {
        QFETCH(QString, end);
        const QString name = state_.filePath(QStringLiteral("doc.txt"));
        QFile::remove(name);
        form().OpenDialog1->FileName = name;
        form().CB2->setChecked(false);
        type(QStringLiteral("Привет"));
        const QString copyPath = form().Recovery->CopyPath();
        QTRY_VERIFY(QFile::exists(copyPath));
        std::optional<recovery::Copy> copy = recovery::decode(testsupport::readFile(copyPath));
        QVERIFY(copy && copy->plainText && copy->name == name);
        QCOMPARE(textOf(copy->rtf), QStringLiteral("Привет"));
        QVERIFY(!QFile::exists(name)); // the user's file is not touched

        type(QStringLiteral("!"));
        QTRY_COMPARE(textOf(recovery::decode(testsupport::readFile(copyPath)).value_or(recovery::Copy{}).rtf),
                     QStringLiteral("Привет!"));

        QStringList seen;
        if (end == QLatin1String("save")) {
            form().ToolButton3Click();
        } else if (end == QLatin1String("new")) {
            form().ToolButton1Click();
        } else if (end == QLatin1String("open")) {
            testsupport::writeFile(state_.filePath(QStringLiteral("other.txt")), "other");
            form().JRE->LoadFile(state_.filePath(QStringLiteral("other.txt")));
        } else if (end == QLatin1String("exit no")) {
            answer(messages::No, &seen);
            form().ToolButton7Click();
        } else {
            while (form().JRE->IsModified())
                form().JRE->Undo();
        }
        QCOMPARE(files(), QStringList());
        QTest::qWait(300);
        QCOMPARE(files(), QStringList()); // and nothing comes back
    }

    // Typing that never stops is copied all the same.
    void longTypingIsCopied() {
        form().Recovery->SetDelays(150, 300);
        QElapsedTimer typing;
        typing.start();
        while (typing.elapsed() < 1000 && !QFile::exists(form().Recovery->CopyPath())) {
            type(QStringLiteral("a"));
            QTest::qWait(40);
        }
        QVERIFY(typing.elapsed() < 1000);
    }

    // The question at start: Yes takes the copy as the modified document it
    // was, with its mode and name; No deletes it; Esc keeps it.
    void offered_data() {
        QTest::addColumn<int>("button");
        QTest::newRow("Yes") << int(messages::Yes);
        QTest::newRow("No") << int(messages::No);
        QTest::newRow("Esc") << int(messages::Cancel);
    }
    void offered() {
        QFETCH(int, button);
        const QString name = state_.filePath(QStringLiteral("letter.rtf"));
        const QString orphan = leaveCopy(QStringLiteral("1-1"), {true, plaintext::Encoding::Utf8, name, "{\\rtf1\\ansi\\ansicpg1251 {\\b \\'ca\\'e5\\'ef}\\par}"});
        QStringList seen;
        answer(button, &seen);
        form().OfferRecovery();
        QCOMPARE(seen, QStringList{QStringLiteral("Восстановление|Найден несохранённый документ предыдущего сеанса. Восстановить?")});
        TJRE &e = *form().JRE;
        if (button == messages::Yes) {
            QCOMPARE(e.GetText(), QStringLiteral("Кеп"));
            e.Select(0, 1);
            QCOMPARE(e.SelectionFormat().fontWeight(), int(QFont::Bold));
            QVERIFY(e.IsModified() && e.PlainText() && !form().CB2->isChecked());
            QCOMPARE(e.Encoding(), plaintext::Encoding::Utf8);
            QCOMPARE(form().OpenDialog1->FileName, name);
            QCOMPARE(form().StatusBar1->Text(1), QStringLiteral("Изменён"));
            // Its copy is now this program's own.
            const QString id = QFileInfo(form().Recovery->CopyPath()).completeBaseName();
            QCOMPARE(files(), (QStringList{id + ".lock", id + ".recovery"}));
        } else {
            QCOMPARE(e.GetText(), QString());
            QVERIFY(!e.IsModified() && !e.PlainText());
            QCOMPARE(QFile::exists(orphan), button == messages::Cancel);
        }
    }

    // A copy whose program still runs is not offered; a damaged one is set
    // aside with a word to the user, and the next one is offered.
    void lockedAndDamagedCopies() {
        const QString live = leaveCopy(QStringLiteral("2-2"), {false, {}, {}, "{\\rtf1 live\\par}"});
        const int fd = ::open(QFile::encodeName(recovery::folder() + QStringLiteral("/2-2.lock")).constData(), O_RDWR);
        QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0); // as its program holds it
        const QString good = leaveCopy(QStringLiteral("3-3"), {false, {}, {}, "{\\rtf1 good\\par}"});
        const QString broken = leaveCopy(QStringLiteral("4-4"), {false, {}, {}, "{\\rtf1 broken\\par}"});
        QByteArray bytes = testsupport::readFile(broken);
        testsupport::writeFile(broken, bytes.left(bytes.size() - 3)); // a copy cut short
        QFile older(good);
        QVERIFY(older.open(QIODevice::ReadOnly) &&
                older.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));

        QStringList seen;
        answer(messages::Ok, &seen);
        answer(messages::Yes, &seen);
        form().OfferRecovery();
        ::close(fd);
        QCOMPARE(seen.size(), 2);
        QVERIFY2(seen[0].startsWith(QStringLiteral("Восстановление|Копия несохранённого документа предыдущего сеанса повреждена")) &&
                     seen[0].contains(QStringLiteral("4-4.damaged")),
                 qPrintable(seen[0]));
        QCOMPARE(form().JRE->GetText(), QStringLiteral("good"));
        QVERIFY(QFile::exists(live) && !QFile::exists(good) && !QFile::exists(broken));
        QVERIFY(QFile::exists(recovery::folder() + QStringLiteral("/4-4.damaged")));
    }
};

QTEST_MAIN(RecoveryTest)
#include "recovery_test.moc"
