#pragma once
// Pictures as RTF holds them: a {\pict ...} group, kept as read so that a
// picture nobody changed is written back byte for byte. What drawing needs
// is taken from that group when it is drawn.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QTextCharFormat>

namespace rtf {

struct Picture {
    enum Kind { Png, Jpeg, Metafile, Other };
    Kind kind = Other;
    QSize twips;     // the size it is shown at, in twips; empty when unknown
    QByteArray data; // the picture's own bytes (PNG, JPEG...)
};

// Reads a {\pict ...} group: its kind, its size (\picwgoal/\pichgoal, else
// \picw/\pich, scaled by \picscalex/\picscaley), and its data, hex or \bin.
Picture readPicture(QByteArrayView group);

// Decodes the picture at most at the given size in pixels (a larger one is
// scaled down as it is read), within Qt's allocation limit. A null image when
// it cannot be decoded: a metafile, a broken file, or one too big to hold.
QImage decodePicture(const Picture &picture, QSize atMost);

// A picture of the image as PNG, shown at its size at 96 dpi.
QByteArray pictureOf(const QImage &image);

// The format of a picture's character (U+FFFC): the image object type, and
// the picture's group (kPicture).
QTextCharFormat pictureFormat(const QByteArray &group);

} // namespace rtf
