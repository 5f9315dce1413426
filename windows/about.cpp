// The About window and the two ways to reach the author: the links in it and
// the mail command.
#include "app/tform1.h"
#include "platform/modal.h"
#include "platform/shell.h"
#include "windows/author.h"
#include "windows/ondemand.h"

#include <QPushButton>

void TForm1::ToolButton22Click() {
    TOnDemandForm form(QStringLiteral("Tessarin 2.0"), QSize(428, 238));
    form.move(400, 300);
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(13);
    form.setFont(font);
    QPalette face = form.palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    form.setPalette(face);
    const char *const captions[] = {"Программа", "Версия", "Разработчик", "Дата выхода", "Сайт автора",
                                    "E-mail автора"};
    for (int i = 0; i < 6; ++i)
        form.AddLabel({8, 8 + 24 * i}, QString::fromUtf8(captions[i]));
    const QString values[] = {QStringLiteral("Tessarin"), QStringLiteral("2.0"), author::name(),
                              QStringLiteral("08.02.2003")};
    for (int i = 0; i < 4; ++i)
        form.AddLabel({184, 8 + 24 * i}, values[i]);
    form.AddLink({184, 104}, author::site(), [this] { Action1Execute(); });
    form.AddLink({184, 128}, author::email(), [this] { Action2Execute(); });
    form.AddOkButton({136, 176, 145, 25})->setFocus();
    modal::exec(form);
}

void TForm1::Action1Execute() { shell::open(QUrl(author::site())); }

void TForm1::Action2Execute() { shell::open(author::emailUrl()); }

void TForm1::ToolButton39Click() { shell::open(author::mailCommandUrl()); }
