#include "editor/pictureobjects.h"

#include "editor/docformat.h"
#include "editor/rtf/picture.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPaintDevice>
#include <QTextDocument>

PictureObjects::PictureObjects(QObject *parent) : QObject(parent) {}

PictureObjects::Known &PictureObjects::known(const QByteArray &rtf) {
    if (Known *k = known_.object(rtf.constData()))
        return *k;
    auto *k = new Known{rtf, {}, false, qHash(rtf)};
    const rtf::Picture picture = rtf::readPicture(rtf);
    k->twips = picture.twips;
    if (picture.kind != rtf::Picture::Metafile && !picture.data.isEmpty()) {
        QBuffer buffer;
        buffer.setData(picture.data);
        buffer.open(QIODevice::ReadOnly);
        const QSize pixels = QImageReader(&buffer).size();
        k->drawable = pixels.isValid() && !pixels.isEmpty();
        if (k->twips.isEmpty() && k->drawable)
            k->twips = pixels * 15; // 96 dpi
    }
    known_.insert(rtf.constData(), k);
    return *k;
}

QSizeF PictureObjects::intrinsicSize(QTextDocument *doc, int, const QTextFormat &format) {
    const Known &k = known(format.property(docformat::kPicture).toByteArray());
    const QPaintDevice *device = doc->documentLayout()->paintDevice();
    const qreal dpi = device ? device->logicalDpiX() : 96;
    QSizeF size = k.twips.isEmpty() ? QSizeF(96, 96) : QSizeF(k.twips) * dpi / 1440;
    const qreal room = doc->pageSize().width() - 2 * doc->documentMargin() - 1;
    if (room > 0 && size.width() > room)
        size = size.scaled(room, size.height(), Qt::KeepAspectRatio);
    return size.expandedTo(QSizeF(1, 1));
}

void PictureObjects::drawObject(QPainter *painter, const QRectF &rect, QTextDocument *, int,
                                const QTextFormat &format) {
    const QByteArray rtf = format.property(docformat::kPicture).toByteArray();
    Known &k = known(rtf);
    const QSize pixels = (rect.size() * painter->device()->devicePixelRatioF()).toSize().expandedTo(QSize(1, 1));
    if (k.drawable) {
        const QString key = QString::number(k.hash) + u'@' + QString::number(pixels.width());
        QImage image;
        if (const QImage *cached = images_.object(key)) {
            image = *cached;
        } else {
            image = rtf::decodePicture(rtf::readPicture(rtf), pixels);
            if (image.isNull())
                k.drawable = false; // not tried again at every repaint
            else
                images_.insert(key, new QImage(image), int(std::min<qsizetype>(image.sizeInBytes() / 1024 + 1, 1 << 30)));
        }
        if (!image.isNull()) {
            painter->drawImage(rect, image);
            return;
        }
    }
    // A box of the picture's size, as word processors show what they cannot draw.
    painter->save();
    painter->setPen(QPen(Qt::gray, 0));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    painter->drawLine(rect.topLeft(), rect.bottomRight());
    painter->drawLine(rect.topRight(), rect.bottomLeft());
    painter->restore();
}
