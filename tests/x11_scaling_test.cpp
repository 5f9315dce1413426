// The main window at the scales users set: CTest runs this suite at 100 %,
// 150 % and 200 % (QT_SCALE_FACTOR) and with fonts half as large again
// (QT_FONT_DPI=144). The status panels read whole and the toolbar controls
// stay inside the window.
#include "app/tform1.h"
#include "editor/tjre.h"
#include "format/statusbar.h"

#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

class X11ScalingTest : public QObject {
    Q_OBJECT

private slots:
    void panelsReadWholeAndControlsFit_data() {
        QTest::addColumn<QString>("face");
        QTest::newRow("the bar's own face") << QString();
        QTest::newRow("a wide face, larger") << QStringLiteral("DejaVu Sans"); // as where the narrow face is missing
    }

    void panelsReadWholeAndControlsFit() {
        QFETCH(QString, face);
        QTemporaryDir dir;
        TForm1 form(dir.filePath(QStringLiteral("Tessarin.ini")));
        if (!face.isEmpty())
            form.StatusBar1->setFont(QFont(face, 10));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The longest texts the panels show in use: line 1234, column 120 of a
        // changed document, the clock.
        QString text;
        for (int i = 0; i < 1234; ++i)
            text += QString(130, QLatin1Char('x')) + QStringLiteral("\r\n");
        form.JRE->SetWordWrap(false);
        form.JRE->ReplaceSelection(text);
        form.JRE->Select(form.JRE->LineIndex(1233) + 119, 0);
        form.JREChange();
        form.Timer1Timer();
        QCOMPARE(form.StatusBar1->Text(0).simplified(), QStringLiteral("Стр: 1234 Кол: 120"));
        const QString why = QStringLiteral("scale %1, font dpi %2, window %3 px")
                                .arg(QString::fromLatin1(qgetenv("QT_SCALE_FACTOR")),
                                     QString::fromLatin1(qgetenv("QT_FONT_DPI")))
                                .arg(form.width());
        for (int i = 0; i < TStatusBar::kPanels; ++i) {
            const QLabel *panel = form.StatusBar1->Panel(i);
            const QString where = why + QStringLiteral(", panel %1 \"%2\"").arg(i).arg(panel->text());
            QVERIFY2(panel->sizeHint().width() <= panel->width(), qPrintable(where));
            QVERIFY2(panel->sizeHint().height() <= panel->height(), qPrintable(where));
            QVERIFY2(panel->geometry().right() < form.StatusBar1->width(), qPrintable(where));
        }
        for (QToolBar *bar : {form.ToolBar1, form.ToolBar2})
            for (QWidget *w : bar->findChildren<QWidget *>())
                if (w->isVisible() && w->parentWidget() == bar)
                    QVERIFY2(form.rect().contains(QRect(w->mapTo(&form, QPoint()), w->size())),
                             qPrintable(why + QLatin1Char(' ') + w->metaObject()->className()));
    }
};

QTEST_MAIN(X11ScalingTest)
#include "x11_scaling_test.moc"
