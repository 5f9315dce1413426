// "Помощь": README.rtf in a read-only, justified viewer; and the calendar.
#include "windows/help.h"

#include "app/tform1.h"
#include "editor/tjre.h"
#include "platform/modal.h"
#include "windows/ondemand.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QVBoxLayout>

QString helpFilePath(const QString &executableDir) {
    const QString name = QStringLiteral("README.rtf");
    if (QFileInfo(name).isFile())
        return name;
    const QString installed = QDir::cleanPath(executableDir + QStringLiteral("/../share/tessarin/") + name);
    return QFileInfo(installed).isFile() ? installed : QString();
}

namespace {

// The one control of a window, filling its client area.
void fill(QWidget &window, QWidget &control) {
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&control);
}

// The help viewer and the calendar report nothing: what cannot be shown is
// simply not shown.
template <class F>
void silently(F &&f) noexcept {
    try {
        f();
    } catch (...) {
    }
}

} // namespace

void TForm1::ToolButton21Click() {
    silently([this] {
        const QString path = helpFilePath(QCoreApplication::applicationDirPath());
        if (path.isEmpty())
            return;
        TOnDemandForm form(QStringLiteral("Помощь"), QSize(500, 500));
        form.CentreOnDesktop();
        TJRE viewer(&form);
        fill(form, viewer);
        viewer.LoadFile(path); // rich text, else plain text
        viewer.ApplyJustify(TJRE::Justify::Layout);
        viewer.setTabChangesFocus(false);
        viewer.setReadOnly(true);
        viewer.setAccessibleName(QStringLiteral("Текст справки"));
        HelpViewer = &viewer;
        const auto forget = qScopeGuard([this] { HelpViewer = nullptr; });
        form.OnResize = [this] { silently([this] { Action3Execute(); }); };
        modal::exec(form);
    });
}

void TForm1::Action3Execute() {
    if (HelpViewer)
        HelpViewer->ApplyJustify(TJRE::Justify::Layout);
}

void TForm1::ToolButton40Click() {
    silently([this] {
        TOnDemandForm form(QStringLiteral("Календарь"), QSize(200, 200));
        form.move(300, 200);
        form.setFont(font()); // the main window's: the month fits the window's size
        QCalendarWidget calendar(&form);
        calendar.setAccessibleName(QStringLiteral("Календарь"));
        calendar.setMinimumSize(1, 1); // the window keeps its size
        fill(form, calendar);
        calendar.setSelectedDate(QDate::currentDate());
        calendar.setFirstDayOfWeek(QLocale::system().firstDayOfWeek());
        calendar.setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader); // no week numbers
        // The month arrows, and the month and year buttons, as a screen reader names them.
        const std::pair<const char *, const char *> names[] = {{"qt_calendar_prevmonth", "Предыдущий месяц"},
                                                               {"qt_calendar_nextmonth", "Следующий месяц"},
                                                               {"qt_calendar_monthbutton", "Месяц"},
                                                               {"qt_calendar_yearbutton", "Год"},
                                                               {"qt_calendar_calendarview", "Дни месяца"}};
        for (const auto &[object, name] : names)
            if (QWidget *w = calendar.findChild<QWidget *>(QLatin1String(object)))
                w->setAccessibleName(QString::fromUtf8(name));
        modal::exec(form);
    });
}
