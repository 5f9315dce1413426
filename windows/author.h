#pragma once
// Who made the program and where to reach them: the About window and the
// mail command take these from here.
#include <QString>
#include <QUrl>

namespace author {

inline QString name() { return QStringLiteral("Команда Tessarin"); }
inline QString site() { return QStringLiteral("https://tessarin.example.org/"); }
inline QString email() { return QStringLiteral("tessarin@example.org"); } // shown in the About window
inline QString mailCommandAddress() { return QStringLiteral("team@example.org"); }

// A new message to the address shown in the About window.
inline QUrl emailUrl() { return QUrl(QStringLiteral("mailto:") + email()); }

// The mail command's message: subject and start of the body filled in,
// percent-encoded UTF-8 as mailto: URIs are (RFC 6068), so every mail
// program reads the Cyrillic right.
inline QUrl mailCommandUrl() {
    const auto encode = [](const QString &s) { return QUrl::toPercentEncoding(s, ","); };
    return QUrl::fromEncoded("mailto:" + mailCommandAddress().toUtf8() + "?Subject=" +
                                 encode(QStringLiteral("Письмецо")) + "&Body=" +
                                 encode(QStringLiteral("Здравствуйте,")),
                             QUrl::StrictMode);
}

} // namespace author
