#include "editor/rtf/picture.h"

#include "editor/docformat.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cstring>

namespace rtf {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool isLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

} // namespace

Picture readPicture(QByteArrayView g) {
    Picture p;
    long long w = 0, h = 0, goalW = 0, goalH = 0, scaleX = 100, scaleY = 100;
    int pending = -1; // the high half of a hex byte
    const qsizetype n = g.size();
    qsizetype i = g.startsWith("{") ? 1 : 0;
    int depth = 0; // of groups inside the picture's own, which hold no data
    while (i < n) {
        const char c = g[i];
        if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            if (depth-- == 0)
                break;
            ++i;
        } else if (c == '\\' && i + 1 < n && isLetter(g[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isLetter(g[j]))
                ++j;
            const QByteArrayView word = g.sliced(i + 1, j - i - 1);
            bool hasParam = false;
            long long param = 0;
            const bool negative = j < n && g[j] == '-';
            if (negative)
                ++j;
            while (j < n && g[j] >= '0' && g[j] <= '9' && param < 1000000000) {
                param = param * 10 + (g[j++] - '0');
                hasParam = true;
            }
            if (negative)
                param = -param;
            if (j < n && g[j] == ' ')
                ++j;
            i = j;
            if (depth > 0)
                continue;
            if (word == "pngblip")
                p.kind = Picture::Png;
            else if (word == "jpegblip")
                p.kind = Picture::Jpeg;
            else if (word == "wmetafile" || word == "emfblip" || word == "macpict" || word == "pmmetafile")
                p.kind = Picture::Metafile;
            else if (word == "picw")
                w = param;
            else if (word == "pich")
                h = param;
            else if (word == "picwgoal")
                goalW = param;
            else if (word == "pichgoal")
                goalH = param;
            else if (word == "picscalex" && param > 0)
                scaleX = param;
            else if (word == "picscaley" && param > 0)
                scaleY = param;
            else if (word == "bin" && hasParam && param > 0) {
                const qsizetype take = std::min<qsizetype>(qsizetype(param), n - i);
                p.data.append(g.sliced(i, take));
                i += take;
            }
        } else if (c == '\\') {
            i += 2; // a control symbol
        } else {
            if (depth == 0) {
                if (const int v = hexValue(c); v >= 0) {
                    if (pending < 0) {
                        pending = v;
                    } else {
                        p.data.append(char(pending << 4 | v));
                        pending = -1;
                    }
                }
            }
            ++i;
        }
    }
    // \picw and \pich are pixels of a bitmap (15 twips at 96 dpi) and
    // hundredths of a millimetre of a metafile.
    const auto twips = [&](long long goal, long long size) -> long long {
        if (goal > 0)
            return goal;
        if (size <= 0)
            return 0;
        return p.kind == Picture::Metafile ? size * 1440 / 2540 : size * 15;
    };
    const long long tw = twips(goalW, w) * scaleX / 100, th = twips(goalH, h) * scaleY / 100;
    constexpr long long kMax = 1440LL * 1000; // a thousand inches: beyond, a file's mistake
    if (tw > 0 && th > 0)
        p.twips = QSize(int(std::min(tw, kMax)), int(std::min(th, kMax)));
    return p;
}

QImage decodePicture(const Picture &picture, QSize atMost) {
    if (picture.kind == Picture::Metafile || picture.data.isEmpty() || atMost.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(picture.data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    if (size.width() > atMost.width() || size.height() > atMost.height())
        reader.setScaledSize(size.scaled(atMost, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read(); // null past the allocation limit
}

QByteArray pictureOf(const QImage &image) {
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    image.save(&png, "PNG");
    const QByteArray w = QByteArray::number(image.width()), h = QByteArray::number(image.height());
    return "{\\pict\\picw" + w + "\\pich" + h + "\\picwgoal" + QByteArray::number(image.width() * 15) +
           "\\pichgoal" + QByteArray::number(image.height() * 15) + "\\pngblip\r\n" + png.data().toHex() + "}";
}

QTextCharFormat pictureFormat(const QByteArray &group) {
    QTextCharFormat f;
    f.setObjectType(QTextFormat::ImageObject);
    f.setProperty(docformat::kPicture, group);
    return f;
}

} // namespace rtf
