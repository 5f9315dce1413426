#pragma once
// Display lines of a QTextDocument laid out by QTextEdit. Qt's rich-text layout
// knows the lines of each laid-out block but keeps no running count, so every
// block's display-line count is stored in the block itself (QTextBlock::
// setLineCount), where Qt's block tree sums it: firstLineNumber() and
// findBlockByLineNumber() then answer in O(log n). Blocks whose layout may have
// changed are remembered and re-counted only when a question needs them.
#include <QObject>
#include <QPointer>
#include <set>

class QTextDocument;
class QTextBlock;

class DisplayLines : public QObject {
    Q_OBJECT
public:
    explicit DisplayLines(QObject *parent = nullptr);

    // Follows doc from now on; every block counts as changed.
    void attach(QTextDocument *doc);
    // Every block's layout may have changed (width, wrap mode, fonts, tabs).
    void invalidateAll();
    // Without wrapping every block is one line and nothing needs laying out.
    void setWrapping(bool on);

    // 0-based display line of the character at Qt position pos.
    int lineOfPosition(int pos);
    // Qt position of the first character of display line i, or -1 when there is no such line.
    int lineStart(int line);
    // Number of display lines of the whole document.
    int lineCount();

private slots:
    void contentsChange(int position, int charsRemoved, int charsAdded);

private:
    // Brings the stored counts of all blocks up to block number last up to date.
    void syncUpTo(int last);
    bool isSyncedUpTo(int last) const;
    int countLines(const QTextBlock &block);
    static void store(QTextBlock &block, int lines);

    QPointer<QTextDocument> doc_;
    int blockCount_ = 0;
    std::set<int> dirty_;    // changed blocks below dirtyFrom_
    int dirtyFrom_ = 0;      // every block from here on is changed
    bool wrapping_ = true;
};
