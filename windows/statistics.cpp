// "Статистика": the document's line and character counts in a window of their
// own, counted once while the window is built.
#include "app/tform1.h"
#include "editor/tjre.h"
#include "platform/modal.h"
#include "windows/ondemand.h"

void TForm1::N54Click() {
    TOnDemandForm form(QStringLiteral("Статистика программы"), QSize(250, 150));
    form.CentreOnDesktop();
    form.setFont(QFont(QStringLiteral("Courier New"), 10));
    form.AddLabel({8, 8}, QStringLiteral("Количество строк"));
    form.AddLabel({8, 32}, QStringLiteral("Количество знаков всего"));
    form.AddLabel({8, 56}, QStringLiteral("Количество знаков"));
    form.AddLabel({210, 8}, QString::number(JRE->LineCount()));
    form.AddLabel({210, 32}, QString::number(JRE->CharacterCount()));
    form.AddLabel({210, 56}, QString::number(JRE->SelectionLength()));
    form.AddOkButton({75, 80, 100, 30});
    modal::exec(form);
}
