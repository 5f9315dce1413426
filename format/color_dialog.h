#pragma once
// ColorDialog1: the colour dialog; it starts black and keeps the last colour
// confirmed in it.
#include <QColor>
#include <QObject>

class TColorDialog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QColor Color = Qt::black;
    // Shows the dialog from Color; true and the chosen colour in Color when confirmed.
    bool Execute(QWidget *parent);
};
