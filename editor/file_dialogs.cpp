#include "editor/file_dialogs.h"

#include "platform/modal.h"

#include <QFileDialog>
#include <QFileInfo>

QStringList TOpenDialog::NameFilters() const {
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QLatin1String(" (") + parts[i + 1] + QLatin1Char(')');
    return filters;
}

bool TOpenDialog::Execute() {
    QFileDialog dialog(owner_);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(kind_ == Kind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile); // no check that the file exists
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!Title.isEmpty())
        dialog.setWindowTitle(Title);
    if (!Filter.isEmpty())
        dialog.setNameFilters(NameFilters());
    if (!DefaultExt.isEmpty())
        dialog.setDefaultSuffix(DefaultExt);
    if (!FileName.isEmpty()) {
        const QFileInfo info(FileName);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    if (modal::exec(dialog) != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return false;
    FileName = files.first();
    return true;
}
