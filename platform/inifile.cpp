#include "platform/inifile.h"

#include "platform/error.h"
#include "platform/numbers.h"
#include "platform/safewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView v) {
    qsizetype a = 0, b = v.size();
    while (a < b && isBlank(v[a]))
        ++a;
    while (b > a && isBlank(v[b - 1]))
        --b;
    return v.sliced(a, b - a);
}

// Case-insensitive comparison of a name in the file with a requested name.
// A UTF-16 unit comes from one to three bytes, so the byte length bounds the
// decoded length: most lines are rejected without decoding them.
bool sameName(QByteArrayView bytes, const QString &name) {
    if (bytes.size() < name.size() || bytes.size() > 3 * name.size())
        return false;
    return QString::compare(QString::fromUtf8(bytes), name, Qt::CaseInsensitive) == 0;
}

// Where a key is, or where it would go, in the text of the file.
// An exclusive lock on a folder (flock on the folder itself) while it lives;
// none when the folder cannot be opened.
class FolderLock {
public:
    explicit FolderLock(const QString &folder)
        : fd_(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FolderLock() {
        if (fd_ >= 0)
            ::close(fd_); // drops the lock
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    int fd_;
};

struct Spot {
    bool sectionFound = false;
    qsizetype insertAt = -1; // after the section's last non-blank line
    bool keyFound = false;
    qsizetype valueStart = 0; // the trimmed value, or where "=value" goes
    qsizetype valueEnd = 0;
    bool hasEquals = false;
};

Spot locate(const QByteArray &text, const QString &sectionName, const QString &keyName) {
    const QString section = sectionName.trimmed();
    const QString key = keyName.trimmed();
    Spot spot;
    const qsizetype n = text.size();
    qsizetype pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    bool inside = false;
    while (pos < n) {
        const qsizetype nl = text.indexOf('\n', pos);
        const qsizetype end = nl < 0 ? n : nl;
        const qsizetype next = nl < 0 ? n : nl + 1;
        qsizetype a = pos, b = end;
        while (a < b && isBlank(text[a]))
            ++a;
        while (b > a && isBlank(text[b - 1]))
            --b;
        const QByteArrayView line(text.constData() + a, b - a);
        pos = next;
        if (line.isEmpty())
            continue;
        const qsizetype close = line.front() == '[' ? line.lastIndexOf(']') : -1;
        if (close > 0) {
            if (inside)
                break; // only the first section of that name counts
            if (sameName(trimmed(line.sliced(1, close - 1)), section)) {
                inside = true;
                spot.sectionFound = true;
                spot.insertAt = next;
            }
            continue;
        }
        if (!inside)
            continue;
        spot.insertAt = next;
        if (line.front() == ';')
            continue;
        const qsizetype eq = line.indexOf('=');
        const QByteArrayView name = trimmed(eq < 0 ? line : line.first(eq));
        if (!sameName(name, key))
            continue;
        spot.keyFound = true;
        spot.hasEquals = eq >= 0;
        if (eq < 0) {
            spot.valueStart = spot.valueEnd = (name.data() - text.constData()) + name.size();
        } else {
            const QByteArrayView value = trimmed(line.sliced(eq + 1));
            spot.valueStart = value.data() - text.constData();
            spot.valueEnd = spot.valueStart + value.size();
        }
        break;
    }
    return spot;
}

// The file's first whole lines, at most IniFile::ReadLimit bytes; the whole
// file when it is that small.
QByteArray readHead(QFile &file, qint64 size) {
    QByteArray head = file.read(qMin(size, IniFile::ReadLimit));
    if (size > head.size())
        head.truncate(head.lastIndexOf('\n') + 1);
    return head;
}

QByteArray lineBreakOf(const QByteArray &text) {
    const qsizetype nl = text.indexOf('\n');
    return nl > 0 && text[nl - 1] == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

[[noreturn]] void failWrite(const QString &path) {
    throw tessarin::Error(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path)));
}

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

const QByteArray &IniFile::text() const {
    if (!loaded_) {
        loaded_ = true;
        text_.clear();
        const QFileInfo info(path_);
        QFile file(path_);
        // Only a regular file: a FIFO or a device standing there must not block or flood us.
        if (info.isFile() && file.open(QIODevice::ReadOnly))
            text_ = readHead(file, file.size());
    }
    return text_;
}

bool IniFile::parseInteger(const QString &text, int *value) {
    // The calculator's rule, around any blanks, and with "0x" or "$" only.
    const std::optional<int> parsed = numbers::parseInteger(QStringView(text).trimmed(), false);
    if (parsed)
        *value = *parsed;
    return parsed.has_value();
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const {
    const QByteArray &t = text();
    const Spot spot = locate(t, section, key);
    if (!spot.keyFound)
        return def;
    QByteArrayView value(t.constData() + spot.valueStart, spot.valueEnd - spot.valueStart);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return QString::fromUtf8(value);
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const {
    int value;
    return parseInteger(readString(section, key, QString()), &value) ? value : def;
}

void IniFile::writeInteger(const QString &section, const QString &key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value) {
    writeStrings(section, {{key, value}});
}

void IniFile::writeStrings(const QString &section, const QList<std::pair<QString, QString>> &values) {
    const QFileInfo info(path_);
    if (!info.exists() && !info.absoluteDir().exists())
        QDir().mkpath(info.absolutePath()); // a failure shows at the write below
    // Programs writing the same file at once take turns: each one's values
    // land together, none of them lost between another's read and rename.
    const FolderLock lock(info.absolutePath());
    QFile in(path_);
    qint64 size = 0;
    QByteArray head;
    if (info.exists()) {
        if (!info.isFile() || !in.open(QIODevice::ReadOnly))
            failWrite(path_);
        size = in.size();
        head = readHead(in, size);
    }
    const qsizetype oldHead = head.size();

    // Each key's edit goes into the head; keys of a section the file lacks go
    // into `appended`, a new section at the file's end.
    const QByteArray eol = lineBreakOf(head);
    QByteArray appended;
    for (const auto &[key, value] : values) {
        QString oneLine = value;
        oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
        const QByteArray valueBytes = oneLine.toUtf8();
        const Spot spot = locate(head, section, key);
        if (spot.keyFound) {
            head.replace(spot.valueStart, spot.valueEnd - spot.valueStart,
                         spot.hasEquals ? valueBytes : '=' + valueBytes);
        } else if (spot.sectionFound) {
            QByteArray line;
            if (spot.insertAt == head.size() && !head.isEmpty() && !head.endsWith('\n'))
                line = eol;
            head.insert(spot.insertAt, line + key.toUtf8() + '=' + valueBytes + eol);
        } else {
            if (appended.isEmpty()) {
                bool endsWithBreak = true;
                if (size > 0) {
                    if (size == oldHead) {
                        endsWithBreak = head.endsWith('\n');
                    } else {
                        char last = '\n';
                        endsWithBreak = !(in.seek(size - 1) && in.getChar(&last)) || last == '\n';
                    }
                }
                if (!endsWithBreak)
                    appended = eol;
                appended += '[' + section.toUtf8() + ']' + eol;
            }
            appended += key.toUtf8() + '=' + valueBytes + eol;
        }
    }

    // The rest of the file beyond the head is copied from the old file into
    // the new one; a write in place empties the old file first, so then the
    // rest is read into memory before.
    SafeWriter out(QFile::encodeName(path_));
    const bool streaming = size > oldHead;
    QByteArray rest;
    if (streaming && out.inPlace()) {
        try {
            if (!in.seek(oldHead))
                failWrite(path_);
            rest = in.readAll();
        } catch (const std::bad_alloc &) {
            failWrite(path_);
        }
        if (rest.size() != size - oldHead)
            failWrite(path_);
    }
    if (!out.open())
        failWrite(path_);
    auto put = [&](const char *data, qint64 length) {
        if (!out.write(data, length))
            failWrite(path_);
    };
    put(head.constData(), head.size());
    if (streaming && !out.inPlace()) {
        if (!in.seek(oldHead))
            failWrite(path_);
        QByteArray chunk;
        while (!in.atEnd()) {
            chunk = in.read(1 << 20);
            if (chunk.isEmpty())
                failWrite(path_);
            put(chunk.constData(), chunk.size());
        }
    }
    put(rest.constData(), rest.size());
    put(appended.constData(), appended.size());
    in.close();
    if (!out.commit())
        failWrite(path_);
    loaded_ = false;
}
