#include "platform/shell.h"

#include "platform/messages.h"

#include <QDesktopServices>

#include <optional>

namespace shell {
namespace {

std::optional<QStringList> &capture() {
    static std::optional<QStringList> targets;
    return targets;
}

} // namespace

void open(const QUrl &url) {
    if (capture())
        capture()->append(url.toString(QUrl::FullyEncoded));
    else if (!QDesktopServices::openUrl(url))
        messages::showError(QStringLiteral("Не удалось открыть «%1»: нет программы, которая открывает такие адреса "
                                           "(пакет xdg-utils)")
                                .arg(url.toDisplayString()));
}

void startCapture() { capture() = QStringList(); }

QStringList capturedTargets() {
    const QStringList targets = capture().value_or(QStringList());
    capture().reset();
    return targets;
}

} // namespace shell
