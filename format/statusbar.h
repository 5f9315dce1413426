#pragma once
// StatusBar1: eight panels in one row, each a label that screen readers read;
// the bar itself has the status-bar role.
#include <QLabel>
#include <QWidget>
#include <array>

class TStatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanels = 8;
    static constexpr int kHeight = 19;
    static constexpr int kDesignPanelWidth = 50;

    explicit TStatusBar(QWidget *parent = nullptr);

    void SetText(int panel, const QString &text);
    QString Text(int panel) const;
    void SetWidth(int panel, int width);
    int Width(int panel) const;
    QLabel *Panel(int panel) const { return panels_[panel]; }

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placePanels();

    std::array<QLabel *, kPanels> panels_{};
    std::array<int, kPanels> widths_{}; // as set; a text may need more
};
