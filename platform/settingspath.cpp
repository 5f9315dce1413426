#include "platform/settingspath.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool canCreateFilesIn(const QString &folder) {
    const QByteArray dir = QFile::encodeName(folder);
    if (::access(dir.constData(), W_OK | X_OK) != 0)
        return false;
    // An unnamed file leaves no trace in the folder.
    const int fd = ::open(dir.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return false;
    // File systems without unnamed files: a short-lived named one.
    QTemporaryFile probe(folder + QStringLiteral("/.tessarin-probe-XXXXXX"));
    return probe.open();
}

} // namespace

bool canWriteFileAt(const QString &filePath) {
    const QFileInfo info(filePath);
    if (info.exists())
        return info.isFile() && ::access(QFile::encodeName(filePath).constData(), W_OK) == 0;
    return QFileInfo(info.absolutePath()).isDir() && canCreateFilesIn(info.absolutePath());
}

QString settingsFilePath(const QString &executableDir) {
    const QString local = QDir(executableDir).filePath(QStringLiteral("Tessarin.ini"));
    if (canWriteFileAt(local))
        return local;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/tessarin/Tessarin.ini");
}

QString stateFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/tessarin");
}
