#include "platform/notifyarea.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QVariant>

namespace notifyarea {

bool sendsNoDoubleClick() {
    // The question Qt's own choice asks of the watcher.
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusInterface item(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return item.isValid() && item.property("IsStatusNotifierHostRegistered").toBool();
}

} // namespace notifyarea
