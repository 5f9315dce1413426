#include "editor/docio.h"

#include "editor/plaintext.h"
#include "editor/rtf/reader.h"
#include "editor/rtf/writer.h"
#include "platform/error.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

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

// The file a save writes: the end of a chain of symbolic links, so that the
// link stays and its target gets the new contents.
std::string finalTarget(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::string link(size_t(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || size_t(n) >= link.size())
            break;
        link.resize(size_t(n));
        if (link.front() == '/') {
            path = link;
        } else {
            const size_t slash = path.rfind('/');
            path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + link;
        }
    }
    return path;
}

bool writeAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

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

QByteArray readFile(const QString &path) {
    const QByteArray native = encodePath(path);
    Fd in;
    in.fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0)
        cannotOpen(path, errno);
    struct stat st;
    if (::fstat(in.fd, &st) != 0)
        cannotOpen(path, errno);
    if (S_ISDIR(st.st_mode))
        cannotOpen(path, EISDIR);
    // No form of the file holds more characters than it has bytes.
    if (S_ISREG(st.st_mode) && st.st_size > kTextLimit)
        failedToLoad();

    QByteArray bytes;
    try {
        qsizetype used = 0;
        bytes.resize(S_ISREG(st.st_mode) ? qsizetype(st.st_size) + 1 : 65536);
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

void load(const QString &path, bool plainText, QTextDocument &doc, const QTextCharFormat &plainFormat) {
    read(readFile(path), plainText, doc, plainFormat);
}

void read(const QByteArray &bytes, bool plainText, QTextDocument &doc, const QTextCharFormat &plainFormat) {
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
            plaintext::read(bytes, doc, plainFormat);
        }
    } catch (const std::bad_alloc &) {
        doc.clear();
        doc.setUndoRedoEnabled(undo);
        failedToLoad();
    }
    doc.setUndoRedoEnabled(undo);
}

QByteArray serialize(const QTextDocument &doc, bool plainText) {
    return plainText ? plaintext::write(doc) : rtf::write(doc);
}

void writeFile(const QString &path, const QByteArray &bytes) {
    const std::string target = finalTarget(encodePath(path).toStdString());
    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        cannotCreate(path, EISDIR);
    // Renaming over a file we may not write would bypass its protection.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        cannotCreate(path, errno);

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp;
    Fd out;
    for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", QRandomGenerator::global()->generate());
        temp = folder + "." + name.substr(0, 200) + suffix + ".tmp";
        // 0666 less the umask, as any new file; an old file's mode is copied below.
        out.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out.fd < 0 && errno != EEXIST)
            break;
    }
    if (out.fd < 0)
        cannotCreate(path, errno);
    if (exists) {
        ::fchmod(out.fd, old.st_mode & 07777);
        if (::fchown(out.fd, old.st_uid, old.st_gid) != 0 && ::fchown(out.fd, uid_t(-1), old.st_gid) != 0) {
            // Not ours to give away: the new file belongs to us, as any new file would.
        }
    }
    const bool written = writeAll(out.fd, bytes.constData(), size_t(bytes.size())) && ::fsync(out.fd) == 0;
    const int closed = ::close(out.fd);
    out.fd = -1;
    if (!written || closed != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        failedToSave();
    }
}

void save(const QString &path, bool plainText, const QTextDocument &doc) {
    QByteArray bytes;
    try {
        bytes = serialize(doc, plainText);
    } catch (const std::bad_alloc &) {
        failedToSave();
    }
    writeFile(path, bytes);
}

} // namespace docio
