#include "editor/docio.h"

#include "editor/plaintext.h"
#include "editor/pieces.h"
#include "editor/rtf/reader.h"
#include "editor/rtf/writer.h"
#include "platform/error.h"
#include "platform/safewrite.h"

#include <QDir>
#include <QFile>
#include <QTextCursor>
#include <QTextDocument>

#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace docio {
namespace {

QString displayPath(const QString &path) {
    return QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

QString reason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

[[noreturn]] void cannotOpen(const QString &path, int err) {
    throw tessarin::Error(QStringLiteral("Cannot open file \"%1\". %2").arg(displayPath(path), reason(err)));
}

[[noreturn]] void cannotCreate(const QString &path, int err) {
    throw tessarin::Error(QStringLiteral("Cannot create file \"%1\". %2").arg(displayPath(path), reason(err)));
}

// What stands there is no file to read: a folder, FIFO, device or socket.
[[noreturn]] void notRegular(const QString &path, mode_t mode) {
    if (S_ISDIR(mode))
        cannotOpen(path, EISDIR);
    throw tessarin::Error(QStringLiteral("Cannot open file \"%1\". Not a regular file").arg(displayPath(path)));
}

[[noreturn]] void failedToLoad() { throw tessarin::Error(QStringLiteral("Failed to Load Stream")); }
[[noreturn]] void failedToSave() { throw tessarin::Error(QStringLiteral("Failed to Save Stream")); }

// Closes the descriptor on every way out.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
};

void appendUtf8(QByteArray &out, char32_t cp) {
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

} // namespace

QString decodePath(const QByteArray &native) {
    QString out;
    out.reserve(native.size());
    const auto *p = reinterpret_cast<const unsigned char *>(native.constData());
    const qsizetype n = native.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
            continue;
        }
        // One well-formed UTF-8 sequence, or else one escaped byte.
        int len = 0;
        char32_t cp = 0, min = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2, cp = b & 0x1F, min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3, cp = b & 0x0F, min = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4, cp = b & 0x07, min = 0x10000;
        }
        bool ok = len > 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            ok = (p[i + k] & 0xC0) == 0x80;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        ok = ok && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!ok) {
            out.append(QChar(char16_t(0xDC00 + b)));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out.append(QChar::highSurrogate(cp));
            out.append(QChar::lowSurrogate(cp));
        } else {
            out.append(QChar(char16_t(cp)));
        }
        i += len;
    }
    return out;
}

QByteArray encodePath(const QString &path) {
    QByteArray out;
    out.reserve(path.size() * 2);
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < path.size() && path[i + 1].isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(c, path[i + 1].unicode()));
            ++i;
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            out.append(char(c - 0xDC00)); // an escaped byte
        } else if (QChar::isSurrogate(c)) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

int openRegularFile(const QString &path, qint64 *size) {
    const QByteArray native = encodePath(path);
    struct stat st;
    // Something else is not even opened: opening a device can have effects of its own.
    if (::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        notRegular(path, st.st_mode);
    // Without blocking: a FIFO put there meanwhile opens at once, and is refused below.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        cannotOpen(path, errno);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        cannotOpen(path, err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        notRegular(path, st.st_mode);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (size)
        *size = st.st_size;
    return fd;
}

QByteArray readFile(const QString &path) {
    qint64 size = 0;
    Fd in;
    in.fd = openRegularFile(path, &size);
    // No form of the file holds more characters than it has bytes.
    if (size > kTextLimit)
        failedToLoad();

    QByteArray bytes;
    try {
        qsizetype used = 0;
        bytes.resize(qsizetype(size) + 1); // a file that grows meanwhile is read to its end
        for (;;) {
            if (used == bytes.size())
                bytes.resize(bytes.size() * 2);
            const ssize_t n = ::read(in.fd, bytes.data() + used, size_t(bytes.size() - used));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                cannotOpen(path, errno);
            }
            if (n == 0)
                break;
            used += n;
            if (used > kTextLimit)
                failedToLoad();
        }
        bytes.resize(used);
    } catch (const std::bad_alloc &) {
        failedToLoad();
    }
    return bytes;
}

plaintext::Encoding load(const QString &path, bool plainText, QTextDocument &doc, const QTextCharFormat &plainFormat,
                         std::optional<plaintext::Encoding> encoding) {
    return read(readFile(path), plainText, doc, plainFormat, encoding);
}

plaintext::Encoding read(const QByteArray &bytes, bool plainText, QTextDocument &doc,
                         const QTextCharFormat &plainFormat, std::optional<plaintext::Encoding> encoding) {
    plaintext::Encoding used = plaintext::Encoding::Cp1251;
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false); // also drops the old undo history
    try {
        if (!doc.isEmpty())
            doc.clear();
        bool done = false;
        if (!plainText && rtf::isRtf(bytes)) {
            done = rtf::read(bytes, doc);
            if (!done)
                doc.clear();
        }
        if (!done) {
            QTextCursor(&doc).setBlockCharFormat(plainFormat); // an empty file still types in it
            used = encoding.value_or(plaintext::detect(bytes));
            plaintext::read(bytes, doc, plainFormat, used);
        }
        pieces::split(doc);
    } catch (const std::bad_alloc &) {
        doc.clear();
        doc.setUndoRedoEnabled(undo);
        failedToLoad();
    }
    doc.setUndoRedoEnabled(undo);
    return used;
}

QByteArray serialize(const QTextDocument &doc, bool plainText, plaintext::Encoding encoding) {
    return plainText ? plaintext::write(doc, encoding) : rtf::write(doc);
}

namespace {

// A failed write: its cause in words, and what became of the old file.
[[noreturn]] void failedToSave(const SafeWriter &out) {
    QString text = QStringLiteral("Failed to Save Stream");
    const int err = out.error();
    if (err == ENOSPC || err == EDQUOT)
        text += QStringLiteral(". Нет места на диске");
    else if (err == EFBIG)
        text += QStringLiteral(". Файл больше, чем разрешено");
    else if (err != 0)
        text += QStringLiteral(". ") + reason(err);
    if (out.oldIntact())
        text += QStringLiteral(". Прежний файл не изменён.");
    else if (!out.rescuePath().empty())
        text += QStringLiteral(". Прежний файл испорчен; его содержимое сохранено в \"%1\".")
                    .arg(QFile::decodeName(QByteArray::fromStdString(out.rescuePath())));
    else
        text += QStringLiteral(". Прежний файл испорчен.");
    throw tessarin::Error(text);
}

} // namespace

void writeFile(const QString &path, const QByteArray &bytes) {
    SafeWriter out(encodePath(path));
    if (!out.open(bytes.size())) {
        if (out.inPlace() && out.error() == ENOSPC) // the new text would not fit: nothing was touched
            failedToSave(out);
        cannotCreate(path, out.error());
    }
    if (!out.write(bytes.constData(), bytes.size()) || !out.commit())
        failedToSave(out);
}

void save(const QString &path, bool plainText, const QTextDocument &doc, plaintext::Encoding encoding) {
    QByteArray bytes;
    try {
        bytes = serialize(doc, plainText, encoding);
    } catch (const std::bad_alloc &) {
        failedToSave();
    }
    writeFile(path, bytes);
}

} // namespace docio
