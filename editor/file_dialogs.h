#pragma once
// The file dialog components: a Title, a Filter ("label|pattern|label|pattern"),
// a DefaultExt and the FileName and FilterIndex they remember from one use to
// the next. Execute() shows Qt's file dialog (through the modal seam) preset
// with FileName.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

// Owned by the window it belongs to.
class TOpenDialog : public QObject {
    Q_OBJECT
public:
    enum class Kind { Open, Save };
    explicit TOpenDialog(QWidget *owner, Kind kind = Kind::Open) : QObject(owner), owner_(owner), kind_(kind) {}

    QString FileName;
    QString Title;      // empty: the platform's own caption
    QString Filter;
    QString DefaultExt; // appended to a name typed without an extension
    int FilterIndex = 1; // 1-based: the filter preselected, then the one last chosen

    // True when the user confirmed a file; FileName then holds its full path.
    bool Execute();

    // The labels of Filter, exactly as written (trailing blanks included):
    // the texts the dialog's file-type list shows.
    QStringList FilterLabels() const;
    // The Qt name filters of Filter, "label (patterns)", with the patterns in
    // Qt's form: ";" between patterns becomes a blank, and "*.*" matches
    // every name, with or without a dot.
    QStringList NameFilters() const;

private:
    QWidget *owner_;
    Kind kind_;
};
