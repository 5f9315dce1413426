// Tessarin 2.0: builds the application and runs it.
#include "app/tform1.h"
#include "platform/guard.h"
#include "windows/tform2.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin"));

    // Qt's own dialogs speak Russian, like the rest of the program.
    QTranslator qtRussian;
    if (qtRussian.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtRussian);

    TForm1 form1;
    TForm2 form2;
    form1.EndProgramOnClose();
    form1.show();
    QTimer::singleShot(0, &form1, [&form1] { guarded([&form1] { form1.OfferRecovery(); }); });
    return app.exec();
}
