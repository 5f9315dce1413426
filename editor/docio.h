#pragma once
// Document files: the editor's LoadFile and SaveFile, and tessarin-convert.
// The editor mode alone picks the format: RTF, or Windows-1251 plain text.
#include <QByteArray>
#include <QString>
#include <QTextCharFormat>

#include "editor/plaintext.h"

#include <optional>

class QTextDocument;

namespace docio {

// Reads a whole file into a fresh document. plainText: read the bytes as
// plain text; otherwise RTF, and when the bytes are not RTF, plain text.
// Plain text is read in the encoding given, or else in the one
// plaintext::detect finds; that encoding is returned (Windows-1251 for RTF).
// plainFormat is the character format plain text gets. Throws tessarin::Error
// with "Cannot open file \"<full native path>\". <reason>" when the file cannot
// be opened or read (the document is then untouched), "Failed to Load Stream"
// when it cannot be read in either form (larger than 0x7FFFFFF0 characters).
plaintext::Encoding load(const QString &path, bool plainText, QTextDocument &doc,
                         const QTextCharFormat &plainFormat = {},
                         std::optional<plaintext::Encoding> encoding = std::nullopt);

// load() of bytes already read.
plaintext::Encoding read(const QByteArray &bytes, bool plainText, QTextDocument &doc,
                         const QTextCharFormat &plainFormat = {},
                         std::optional<plaintext::Encoding> encoding = std::nullopt);

// The bytes a save writes in each mode: rtf::write, or plaintext::write in
// the encoding.
QByteArray serialize(const QTextDocument &doc, bool plainText,
                     plaintext::Encoding encoding = plaintext::Encoding::Cp1251);

// Writes through SafeWriter (platform/safewrite.h): atomically where that is
// safe, so a failed save leaves the old file whole, else in place, as
// create-or-empty does. A symbolic link stays a link to the written file; the
// file's permissions survive. Throws tessarin::Error with "Cannot create file
// \"%s\". %s" when it cannot be created (a FIFO nobody reads: at once),
// "Failed to Save Stream" when writing fails.
void save(const QString &path, bool plainText, const QTextDocument &doc,
          plaintext::Encoding encoding = plaintext::Encoding::Cp1251);

// Opens a regular file for reading and returns its descriptor, which the
// caller closes; size, when asked, gets its size. Anything else (a folder,
// FIFO, device or socket) fails at once, without blocking and without reading:
// throws the cannot-open error of load(), whose reason is then "Is a
// directory" or "Not a regular file".
int openRegularFile(const QString &path, qint64 *size = nullptr);

// The whole file, for commands that take its raw bytes. Throws the cannot-open
// error of load().
QByteArray readFile(const QString &path);
// save() of ready bytes.
void writeFile(const QString &path, const QByteArray &bytes);

// File names are bytes. Qt's QFile::decodeName turns bytes that are not UTF-8
// into U+FFFD, which no longer names the file; decodePath keeps each such byte
// as a lone surrogate U+DC80..U+DCFF instead, and every function here maps it
// back. For UTF-8 names both agree with QFile's.
QString decodePath(const QByteArray &native);
QByteArray encodePath(const QString &path);

// The text limit a load raises the editor to (2^31 - 16 characters).
constexpr qint64 kTextLimit = 0x7FFFFFF0;

} // namespace docio
