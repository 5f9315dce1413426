#pragma once
// Draws the document's pictures (characters with kPicture): their size from
// the picture's RTF, scaled down to the page's width, never up; the pixels
// decoded when drawn, at the size drawn, and only the latest few kept. A
// picture that cannot be decoded (a metafile, a broken one) is a framed box.
#include <QCache>
#include <QImage>
#include <QObject>
#include <QTextObjectInterface>

class PictureObjects : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit PictureObjects(QObject *parent = nullptr);
    QSizeF intrinsicSize(QTextDocument *doc, int posInDocument, const QTextFormat &format) override;
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *doc, int posInDocument,
                    const QTextFormat &format) override;

private:
    struct Known {
        QByteArray rtf; // holds the key's bytes alive
        QSize twips;    // empty: unknown
        bool drawable = false;
        size_t hash = 0; // of the bytes: the key of the picture's pixels
    };
    Known &known(const QByteArray &rtf);

    QCache<const char *, Known> known_{4096}; // by the bytes of a document's picture
    QCache<QString, QImage> images_{64 * 1024}; // cost in KB of pixels
};
