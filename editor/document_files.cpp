// The document file commands of the main window and their three file dialogs.
#include "app/tform1.h"
#include "editor/file_dialogs.h"
#include "editor/tjre.h"

namespace {

const char *const kOpenFilter =
    "*.RTF файлы |*.rtf|*.TXT файлы |*.txt|*.HTML файлы|*.html|*.BAT файлы|*.bat|*.REG файлы|*.reg|"
    "*.INI файлы|*.ini|*.INF файлы|*.inf|*.CFG файлы|*.cfg|*.CONF файлы|*.conf|*.SHTML файлы|*.shtml|"
    "*.HTM файлы|*.htm|*.DAT файлы|*.dat|*.DTF файлы|*.dtf|*.DOF файлы|*.dof|*.SQL файлы|*.sql|"
    "*.C файлы|*.c|*.CPP файлы|*.cpp|*.H файлы|*.H|*.DBA файлы|*.dba|*.VB файлы|*.vb|*.BB файлы|*.bb|"
    "*.CS файлы|*.cs|*.JAVA файлы|*.java|Все файлы |*.*";

const char *const kSaveFilter =
    "*.RTF файлы |*.rtf|*.TXT файлы |*.txt|*.INI файлы|*.ini|*.CFG файлы|*.cfg|*.BAT файлы|*.bat|"
    "*.REG файлы|*.reg|*.HTML файлы|*.html|*.HTM файлы|*.htm|*.SHTML файлы|*.shtml|*.INF файлы|*.inf|"
    "*.CONF файлы|*.conf|*.SQL файлы|*.sql|*.DAT файлы|*.dat|*.DTF файлы|*.dtf|*.DOF файлы|*.dof|"
    "*.C файлы|*.c|*.CPP файлы|*.cpp|*.H файлы|*.h|*.VB файлы|*.vb|*.JAVA файлы|*.java|"
    "*.DBA файлы|*.dba|*.BB файлы|*.bb|*.CS файлы|*.cs|Все файлы|*.*";

} // namespace

void TForm1::createFileDialogs() {
    OpenDialog1 = new TOpenDialog(this, TOpenDialog::Kind::Open);
    OpenDialog1->Title = QStringLiteral("Выбор файла для работы");
    OpenDialog1->DefaultExt = QStringLiteral("RTF");
    OpenDialog1->Filter = QString::fromUtf8(kOpenFilter);

    SaveDialog1 = new TOpenDialog(this, TOpenDialog::Kind::Save);
    SaveDialog1->Title = QStringLiteral("Сохранение текущего файла");
    SaveDialog1->DefaultExt = QStringLiteral("RTF");
    SaveDialog1->Filter = QString::fromUtf8(kSaveFilter);

    OpenDialog2 = new TOpenDialog(this, TOpenDialog::Kind::Open);
    OpenDialog2->Filter = QStringLiteral("Все файлы|*.*");

    OpenDialog3 = new TOpenDialog(this, TOpenDialog::Kind::Open);
    OpenDialog3->Filter = QStringLiteral("Все файлы (*.*)|*.*");
}
