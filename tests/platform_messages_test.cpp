// Message boxes, the standard error box, the guard around handlers and the
// modal-dialog seam.
#include "platform/error.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "platform/modal.h"
#include "platform/shell.h"

#include <QApplication>
#include <QDialog>
#include <QLibraryInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <stdexcept>

namespace {

struct Seen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons; // sorted captions
    QString defaultButton, escapeButton;
    Qt::TextFormat format = Qt::AutoText;
};

// Queues an answer that records the box and returns `reply`.
void recordNext(Seen *seen, int reply) {
    modal::answerNext([seen, reply](QDialog &dialog) {
        auto *box = qobject_cast<QMessageBox *>(&dialog);
        if (!box)
            return -1;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->format = box->textFormat();
        for (QAbstractButton *b : box->buttons())
            seen->buttons << b->text();
        seen->buttons.sort();
        seen->defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        seen->escapeButton = box->escapeButton() ? box->escapeButton()->text() : QString();
        return reply;
    });
}

QAbstractButton *buttonNamed(QMessageBox *box, const QString &caption) {
    for (QAbstractButton *b : box->buttons())
        if (b->text() == caption)
            return b;
    return nullptr;
}

// Shows a real box and lets `act` work on it once it runs; a safety timer
// closes it when the actions left it open, so a fault fails instead of hanging.
int showAndAct(int buttons, int defaultButton, int escapeButton, std::function<void(QMessageBox *)> act) {
    QTimer actor;
    actor.setSingleShot(true);
    QObject::connect(&actor, &QTimer::timeout, [act] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box)
            act(box);
    });
    actor.start(0);
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    safety.start(3000);
    return messages::show("Confirm", "Save changes?", messages::Icon::Question, buttons, defaultButton, escapeButton);
}

void press(QMessageBox *box, int key) {
    QWidget *target = box->focusWidget() ? box->focusWidget() : box;
    QTest::keyClick(target, Qt::Key(key));
}

} // namespace

class MessagesTest : public QObject {
    Q_OBJECT

    QTranslator russian_;
    bool translated_ = false;

private slots:
    void initTestCase() {
        // Qt's own dialogs speak Russian in the program; the boxes must not.
        translated_ = russian_.load(QLocale(QLocale::Russian), "qtbase", "_",
                                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
                      QCoreApplication::installTranslator(&russian_);
    }

    void init() { modal::clearAnswers(); }

    void boxShowsExactlyWhatItIsGiven() {
        Seen seen;
        recordNext(&seen, messages::No);
        const int result = messages::show("Warning", "<b>File</b> not saved & lost", messages::Icon::Warning,
                                          messages::Yes | messages::No, messages::Yes, messages::No);
        QCOMPARE(result, int(messages::No));
        QCOMPARE(seen.title, QString("Warning"));
        QCOMPARE(seen.text, QString("<b>File</b> not saved & lost"));
        QCOMPARE(seen.format, Qt::PlainText);
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons, QStringList({"&No", "&Yes"}));
        QCOMPARE(seen.defaultButton, QString("&Yes"));
        QCOMPARE(seen.escapeButton, QString("&No"));

        Seen single;
        recordNext(&single, messages::Ok);
        QCOMPARE(messages::show("Note", "Done", messages::Icon::Information, messages::Ok, messages::Ok),
                 int(messages::Ok));
        QCOMPARE(single.buttons, QStringList({"OK"}));
        QCOMPARE(single.icon, QMessageBox::Information);
        QCOMPARE(single.escapeButton, QString());

        Seen all;
        recordNext(&all, messages::Yes);
        messages::show("Q", "T", messages::Icon::Question, messages::Yes | messages::No | messages::Ok, messages::Ok);
        QCOMPARE(all.buttons, QStringList({"&No", "&Yes", "OK"}));
        QCOMPARE(all.icon, QMessageBox::Question);
        QCOMPARE(modal::shownTitles(), QStringList({"Warning", "Note", "Q"}));
    }

    void answersClickOrReturnAButton() {
        // An answer may click a button of the box...
        modal::answerNext([](QDialog &d) {
            buttonNamed(qobject_cast<QMessageBox *>(&d), "&Yes")->click();
            return 0;
        });
        QCOMPARE(messages::show("C", "T", messages::Icon::Question, messages::Yes | messages::No, messages::No),
                 int(messages::Yes));
        // ...or return the button; a button the box lacks counts as its escape.
        modal::answerNext([](QDialog &) { return int(messages::Yes); });
        QCOMPARE(messages::show("C", "T", messages::Icon::Question, messages::Yes | messages::No, messages::No),
                 int(messages::Yes));
        modal::answerNext([](QDialog &) { return int(messages::Ok); });
        QCOMPARE(messages::show("C", "T", messages::Icon::Question, messages::Yes | messages::No, messages::Yes,
                                messages::No),
                 int(messages::No));
        QCOMPARE(modal::pendingAnswers(), 0);
    }

    void captionsAreNotTranslated() {
        if (!translated_)
            QSKIP("Qt's Russian translation is not installed");
        QVERIFY(QCoreApplication::translate("QPlatformTheme", "&Yes") != "&Yes"); // the translator works
        Seen seen;
        recordNext(&seen, messages::Yes);
        messages::show("Confirm", "Sure?", messages::Icon::Question, messages::Yes | messages::No | messages::Ok,
                       messages::Yes);
        QCOMPARE(seen.buttons, QStringList({"&No", "&Yes", "OK"}));
    }

    void realBoxKeys_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("escapeButton");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("expected");
        const int yesNo = messages::Yes | messages::No;
        QTest::newRow("Enter presses the default (Yes)") << yesNo << int(messages::Yes) << 0 << QList<int>{Qt::Key_Return} << int(messages::Yes);
        QTest::newRow("Enter presses the default (No)") << yesNo << int(messages::No) << 0 << QList<int>{Qt::Key_Enter} << int(messages::No);
        QTest::newRow("Esc presses the escape button") << yesNo << int(messages::Yes) << int(messages::No) << QList<int>{Qt::Key_Escape} << int(messages::No);
        QTest::newRow("Esc does nothing without one") << yesNo << int(messages::Yes) << 0 << QList<int>{Qt::Key_Escape, Qt::Key_Return} << int(messages::Yes);
        QTest::newRow("Tab then Enter presses the next") << yesNo << int(messages::Yes) << 0 << QList<int>{Qt::Key_Tab, Qt::Key_Return} << int(messages::No);
        QTest::newRow("OK box, Esc") << int(messages::Ok) << int(messages::Ok) << int(messages::Ok) << QList<int>{Qt::Key_Escape} << int(messages::Ok);
        QTest::newRow("mnemonic letter") << yesNo << int(messages::No) << int(messages::No) << QList<int>{Qt::Key_Y} << int(messages::Yes);
    }
    void realBoxKeys() {
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, escapeButton);
        QFETCH(QList<int>, keys);
        QFETCH(int, expected);
        bool reached = false;
        const int result = showAndAct(buttons, defaultButton, escapeButton, [&](QMessageBox *box) {
            reached = true;
            for (int key : keys)
                press(box, key);
        });
        QVERIFY(reached);
        QCOMPARE(result, expected);
        QCOMPARE(modal::shownTitles(), QStringList({"Confirm"}));
    }

    void realBoxLooksRight() {
        // Yes, No, OK from left to right, as on Windows, whatever the desktop.
        QString title, text;
        QList<int> lefts;
        bool yesIsDefault = false;
        showAndAct(messages::Yes | messages::No | messages::Ok, messages::Yes, messages::No, [&](QMessageBox *box) {
            title = box->windowTitle();
            text = box->text();
            for (const char *caption : {"&Yes", "&No", "OK"})
                if (QAbstractButton *b = buttonNamed(box, caption))
                    lefts << b->mapTo(box, QPoint()).x();
            QAbstractButton *yes = buttonNamed(box, "&Yes");
            yesIsDefault = yes && static_cast<QPushButton *>(yes)->isDefault() && box->focusWidget() == yes;
            box->close();
        });
        QCOMPARE(title, QString("Confirm"));
        QCOMPARE(text, QString("Save changes?"));
        QCOMPARE(lefts.size(), 3);
        QVERIFY(lefts[0] < lefts[1] && lefts[1] < lefts[2]);
        QVERIFY(yesIsDefault);
    }

    void realBoxCloseButton() {
        // The frame's close button counts as the escape button, or No.
        QCOMPARE(showAndAct(messages::Yes | messages::No, messages::Yes, 0, [](QMessageBox *b) { b->close(); }),
                 int(messages::No));
        QCOMPARE(showAndAct(messages::Yes | messages::No | messages::Ok, messages::Yes, messages::Ok,
                            [](QMessageBox *b) { b->close(); }),
                 int(messages::Ok));
    }

    void errorText_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Failed to Load Stream" << "Failed to Load Stream.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("digit") << "Error 5" << "Error 5.";
        QTest::newRow("slash sorts after") << "/home/" << "/home/.";
        QTest::newRow("question mark sorts after") << "Why?" << "Why?.";
        QTest::newRow("exclamation sorts before") << "Oops!" << "Oops!";
        QTest::newRow("bracket sorts before") << "(none)" << "(none)";
        QTest::newRow("comma sorts before") << "a," << "a,";
        QTest::newRow("minus sorts before") << "a-" << "a-";
        QTest::newRow("blank sorts before") << "a " << "a ";
        QTest::newRow("Cyrillic") << "Невозможно открыть" << "Невозможно открыть.";
        QTest::newRow("empty") << "" << "";
    }
    void errorText() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(messages::errorText(message), shown);
    }

    // Without a program for the address (no xdg-open on the PATH, no
    // browser), opening a link says so in the standard error box.
    void openingWithoutADesktopProgramSaysSo() {
        const QByteArray path = qgetenv("PATH"), browser = qgetenv("BROWSER");
        QTemporaryDir empty;
        qputenv("PATH", QFile::encodeName(empty.path()));
        qunsetenv("BROWSER");
        Seen seen;
        recordNext(&seen, messages::Ok);
        shell::open(QUrl(QStringLiteral("https://example.org/")));
        qputenv("PATH", path);
        if (!browser.isNull())
            qputenv("BROWSER", browser);
        QCOMPARE(seen.title, QStringLiteral("Tessarin"));
        QVERIFY2(seen.text.contains(QStringLiteral("https://example.org/")) && seen.text.contains(QStringLiteral("xdg-utils")),
                 qPrintable(seen.text));
    }

    void standardErrorBox() {
        Seen seen;
        recordNext(&seen, messages::Ok);
        messages::showError("Unable to write to /etc/Tessarin.ini");
        QCOMPARE(seen.title, QString("Tessarin"));
        QCOMPARE(seen.text, QString("Unable to write to /etc/Tessarin.ini."));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QStringList({"OK"}));
        QCOMPARE(seen.defaultButton, QString("OK"));

        // The real one closes with Enter.
        QTimer::singleShot(0, [] {
            if (QWidget *w = QApplication::activeModalWidget())
                QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Return);
        });
        messages::showError("Failed to Save Stream");
        QCOMPARE(modal::shownTitles(), QStringList({"Tessarin", "Tessarin"}));
    }

    // The error box stands over the main window also right after a dialog
    // closed, when no window is active.
    void errorBoxIsCentredOnTheMainWindow() {
        QMainWindow main;
        main.setGeometry(30, 40, 360, 240);
        main.show();
        QDialog dialog(&main);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.hide();
        QPoint offset(-1000, -1000);
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            offset = box->geometry().center() - main.geometry().center();
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
        });
        messages::showError("Cannot open file /tmp/x");
        QVERIFY(offset.manhattanLength() < 8);
    }

    void guardShowsFailures() {
        QStringList texts;
        auto record = [&texts] {
            modal::answerNext([&texts](QDialog &d) {
                texts << qobject_cast<QMessageBox *>(&d)->text();
                return int(messages::Ok);
            });
        };
        for (int i = 0; i < 4; ++i)
            record();
        bool after = false;
        guarded([] { throw tessarin::Error("Cannot create file \"/x/y.rtf\""); });
        guarded([] { throw std::runtime_error("stream error"); });
        guarded([] { throw 42; });
        guarded([&] { after = true; });
        QCOMPARE(texts, QStringList({"Cannot create file \"/x/y.rtf\"", "stream error.", "Unknown failure."}));
        QVERIFY(after);
        QCOMPARE(modal::pendingAnswers(), 1); // no box without a failure
        QCOMPARE(modal::shownTitles(), QStringList({"Tessarin", "Tessarin", "Tessarin"}));
    }

    void guardedConnections() {
        QPushButton button;
        int calls = 0;
        bool lastChecked = true;
        connectGuarded(&button, &QPushButton::clicked, &button, [&] {
            ++calls;
            throw tessarin::Error("Failed to Load Stream");
        });
        connectGuarded(&button, &QPushButton::clicked, &button, [&](bool checked) { lastChecked = checked; });
        connectGuarded(&button, &QPushButton::clicked, &button, &QWidget::hide);
        QString text;
        modal::answerNext([&text](QDialog &d) {
            text = qobject_cast<QMessageBox *>(&d)->text();
            return int(messages::Ok);
        });
        button.show();
        button.click(); // the exception stays inside the guard
        QCOMPARE(calls, 1);
        QCOMPARE(text, QString("Failed to Load Stream."));
        QCOMPARE(lastChecked, false);
        QVERIFY(button.isHidden());
    }

    void modalSeam() {
        QDialog dialog;
        dialog.setWindowTitle("Open");
        modal::answerNext([](QDialog &d) {
            d.setWindowTitle("Changed by the answer");
            return int(QDialog::Accepted);
        });
        modal::answerNext([](QDialog &) { return 7; });
        QCOMPARE(modal::pendingAnswers(), 2);
        QCOMPARE(modal::exec(dialog), int(QDialog::Accepted));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(modal::exec(dialog), 7);
        QCOMPARE(modal::shownTitles(), QStringList({"Open", "Changed by the answer"}));
        // Without answers the dialog really runs.
        QTimer::singleShot(0, [] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                d->done(3);
        });
        QCOMPARE(modal::exec(dialog), 3);
        modal::answerNext([](QDialog &) { return 1; });
        modal::clearAnswers();
        QCOMPARE(modal::pendingAnswers(), 0);
        QCOMPARE(modal::shownTitles(), QStringList());
    }
};

QTEST_MAIN(MessagesTest)
#include "platform_messages_test.moc"
