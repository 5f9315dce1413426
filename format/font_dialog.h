#pragma once
// FontDialog1: the font dialog with the font it starts from and returns.
#include <QFont>
#include <QObject>

class TFontDialog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QFont Font;
    // Shows the dialog from Font; true and the chosen font in Font when confirmed.
    bool Execute(QWidget *parent);
};
