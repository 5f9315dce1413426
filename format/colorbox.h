#pragma once
// A colour list box: a drop-down of the standard, extended and system colours,
// each entry a swatch and a name. The system colours follow the application's
// palette.
#include <QColor>
#include <QComboBox>

class TColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit TColorBox(QWidget *parent = nullptr);

    QColor DefaultColor() const { return defaultColor_; }
    void SetDefaultColor(const QColor &color);
    // The chosen colour; invalid when no entry is shown.
    QColor Selected() const;
    // Shows the first entry of that colour, or no entry when none has it.
    void SetSelected(const QColor &color);

signals:
    void Select(); // the user chose a colour

protected:
    void changeEvent(QEvent *event) override;

private:
    void refreshColors();
    QColor defaultColor_ = Qt::black;
};

// Makes the drop-down list of a box wide enough for its longest entry, so
// that no entry is cut, however narrow the box itself is.
void fitListWidth(QComboBox *box);
