#pragma once
// The settings file: a Windows-style INI file read and written with the
// semantics of the Windows private-profile functions.
//
// Reading: section and key names are compared without regard to case; the
// first occurrence of a section, and the first occurrence of a key inside it,
// is the one that counts; names and values are trimmed of surrounding blanks,
// and a value enclosed in matching single or double quotes loses them.
// Lines starting with ";" are comments. A file is read once per object, and
// only its first ReadLimit bytes (whole lines): a settings file is tiny, and a
// huge or binary file must not slow start-up.
//
// Writing rewrites only the line of that key, keeping every other byte of the
// file as it was (comments, other sections, line endings, bytes that are not
// UTF-8). A missing key goes after the last line of its section, a missing
// section at the end of the file. Each write goes to disk at once through
// SafeWriter (platform/safewrite.h), the document save's writer: by a
// temporary file that replaces the old one where that is safe, else in place.
// Only a regular file is read or written; a failure throws tessarin::Error
// "Unable to write to <path>".
#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

class IniFile {
public:
    static constexpr qint64 ReadLimit = 1 << 20;

    explicit IniFile(QString path);
    const QString &path() const { return path_; }

    // A whole number in decimal, or hexadecimal after "0x"/"0X" or "$", with
    // an optional sign; anything else (missing key, empty value, trailing
    // characters, out of the 32-bit range) gives def.
    int readInteger(const QString &section, const QString &key, int def) const;
    // The value of the key (possibly empty), or def when the key is missing.
    QString readString(const QString &section, const QString &key, const QString &def) const;

    // Written in decimal.
    void writeInteger(const QString &section, const QString &key, int value);
    // Line breaks in the value are written as blanks: a value is one line.
    void writeString(const QString &section, const QString &key, const QString &value);
    // Several keys of a section in one rewrite of the file. Writes of the
    // file by several programs take turns (a lock on its folder), so that
    // each one's values land together.
    void writeStrings(const QString &section, const QList<std::pair<QString, QString>> &values);

    // The integer rule of readInteger applied to a text; false when it is not
    // a whole number.
    static bool parseInteger(const QString &text, int *value);

private:
    const QByteArray &text() const;

    QString path_;
    mutable bool loaded_ = false;
    mutable QByteArray text_; // the file's first whole lines, up to ReadLimit bytes
};
