#pragma once
// FontDialog1: the font dialog with the font and colour it starts from and
// returns. Qt's font dialog has no colour, so ours adds a colour box, "Цвет:",
// under the effects, as the classic font dialog has it.
#include <QColor>
#include <QFont>
#include <QObject>

class TFontDialog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QFont Font;
    QColor Color; // invalid: the automatic (window-text) colour
    // Shows the dialog from Font (found in the dialog's lists whatever the
    // case of its name) and Color; true when confirmed, with the
    // chosen font in Font and, when a colour was picked, that colour in Color.
    bool Execute(QWidget *parent);
};
