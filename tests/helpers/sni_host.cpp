// A stand-in for a desktop panel that shows tray icons over D-Bus (KDE
// Plasma, GNOME's AppIndicator extension): it owns
// org.kde.StatusNotifierWatcher on the session bus, says that a host is
// registered, prints "item SERVICE" for each icon that registers, and for
// each line "activate" or "context" on its standard input calls that method
// of the last icon, as a panel does on a click and on a right click.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSocketNotifier>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return items_; }

    void call(const QString &method) {
        if (items_.isEmpty())
            return;
        QDBusMessage m = QDBusMessage::createMethodCall(items_.last(), QStringLiteral("/StatusNotifierItem"),
                                                        QStringLiteral("org.kde.StatusNotifierItem"), method);
        m << 10 << 10; // where the panel was clicked
        QDBusConnection::sessionBus().call(m);
    }

public slots:
    void RegisterStatusNotifierItem(const QString &service) {
        items_ << service;
        std::printf("item %s\n", qPrintable(service));
        std::fflush(stdout);
        emit StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString &) {}

signals:
    void StatusNotifierItemRegistered(const QString &service);
    void StatusNotifierHostRegistered();

private:
    QStringList items_;
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    Watcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties |
                                QDBusConnection::ExportAllSignals) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[64];
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0)
            return app.quit();
        line[n] = 0;
        for (const QString &command : QString::fromLatin1(line).split(u'\n', Qt::SkipEmptyParts))
            watcher.call(command == QLatin1String("context") ? QStringLiteral("ContextMenu") : QStringLiteral("Activate"));
    });
    return app.exec();
}

#include "sni_host.moc"
