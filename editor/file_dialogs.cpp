#include "editor/file_dialogs.h"

#include "platform/modal.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

namespace {

// A pattern list of a filter ("*.htm;*.html") in Qt's form ("*.htm *.html").
QString qtPatterns(const QString &patterns) {
    QStringList out;
    for (const QString &pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString p = pattern.trimmed();
        if (p.isEmpty())
            continue;
        out << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    }
    return out.join(QLatin1Char(' '));
}

// Gives the size, type and date columns of the detail view the width of
// their captions and values, whenever a folder has been read: Qt's defaults
// cut the Russian captions and dates ("30…ты", "07.12.2…6"). The name column
// takes the room that is left, down to a width of some twenty characters.
void fitColumns(QFileDialog &dialog) {
    auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    auto *model = dialog.findChild<QFileSystemModel *>();
    if (!view || !model)
        return;
    const auto fit = [view] {
        QHeaderView *header = view->header();
        int others = 0;
        for (int column = 1; column < header->count(); ++column) {
            view->resizeColumnToContents(column);
            others += header->sectionSize(column);
        }
        const int leastName = view->fontMetrics().averageCharWidth() * 20;
        header->resizeSection(0, std::max(leastName, view->viewport()->width() - others));
    };
    fit();
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, fit, Qt::QueuedConnection);
}

} // namespace

QStringList TOpenDialog::FilterLabels() const {
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList labels;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        labels << parts[i];
    return labels;
}

QStringList TOpenDialog::NameFilters() const {
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QLatin1String(" (") + qtPatterns(parts[i + 1]) + QLatin1Char(')');
    return filters;
}

bool TOpenDialog::Execute() {
    QFileDialog dialog(owner_);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The list of file types shows the labels only, as they are written.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(kind_ == Kind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile); // no check that the file exists
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!Title.isEmpty())
        dialog.setWindowTitle(Title);
    const QStringList filters = NameFilters();
    QComboBox *types = nullptr; // the list of file types
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = FilterIndex >= 1 && FilterIndex <= filters.size() ? FilterIndex : 1;
        dialog.selectNameFilter(filters[index - 1]); // found by its shown text: before the texts change
        // Qt shows each label with its blanks simplified; show it as written.
        // The dialog takes the chosen filter by its index, never by this text.
        types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        if (types) {
            const QStringList labels = FilterLabels();
            for (int i = 0; i < labels.size() && i < types->count(); ++i)
                types->setItemText(i, labels[i]);
        }
    }
    if (!DefaultExt.isEmpty())
        dialog.setDefaultSuffix(DefaultExt);
    if (!FileName.isEmpty()) {
        const QFileInfo info(FileName);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
    fitColumns(dialog);
    if (modal::exec(dialog) != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return false;
    FileName = files.first();
    if (types && types->currentIndex() >= 0)
        FilterIndex = types->currentIndex() + 1;
    // As the platform's dialogs do: the process's current folder is the chosen
    // file's (the help command looks for its file there).
    QDir::setCurrent(QFileInfo(FileName).absolutePath());
    return true;
}
