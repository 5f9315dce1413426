#pragma once
// A colour list box: a drop-down of colours, each entry a swatch and a name.
#include <QColor>
#include <QComboBox>

class TColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit TColorBox(QWidget *parent = nullptr);

    QColor DefaultColor() const { return defaultColor_; }
    void SetDefaultColor(const QColor &color);
    QColor Selected() const;
    void SetSelected(const QColor &color); // a colour not listed shows no entry

signals:
    void Select(); // the user chose a colour

private:
    void addColor(const QColor &color, const QString &name);
    QColor defaultColor_ = Qt::black;
};
