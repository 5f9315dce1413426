#pragma once
// The project's one exception type. A command that fails throws it; the guard
// through which every handler runs (platform/guard.h) catches it and shows the
// standard error box with its message.
#include <QString>
#include <exception>

namespace tessarin {

class Error : public std::exception {
public:
    explicit Error(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString &message() const noexcept { return message_; }
    const char *what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

} // namespace tessarin
