#include "focus_source_gnome.h"

#include "desktop_session.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {

constexpr const char *kShellService = "org.gnome.Shell";

QDBusMessage callExtension(const QDBusConnection &bus, const char *method)
{
    return bus.call(QDBusMessage::createMethodCall(QLatin1String(GnomeFocusSource::kService),
                        QLatin1String(GnomeFocusSource::kPath),
                        QLatin1String(GnomeFocusSource::kInterface), QLatin1String(method)),
        QDBus::Block, GnomeFocusSource::kCallMs);
}

QString shellVersion(const QDBusConnection &bus)
{
    QDBusMessage get = QDBusMessage::createMethodCall(QLatin1String(kShellService),
        QStringLiteral("/org/gnome/Shell"), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get.setArguments({QStringLiteral("org.gnome.Shell"), QStringLiteral("ShellVersion")});
    const QDBusMessage reply = bus.call(get, QDBus::Block, GnomeFocusSource::kCallMs);
    return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
}

constexpr const char *kShellPath = "/org/gnome/Shell";
constexpr const char *kExtensionsInterface = "org.gnome.Shell.Extensions";
// The Shell's states of an extension that keep it from loading.
constexpr int kStateError = 3;
constexpr int kStateOutOfDate = 4;

int extensionState(const QDBusConnection &bus, const QString &uuid)
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(QLatin1String(kShellService), QLatin1String(kShellPath),
            QLatin1String(kExtensionsInterface), QStringLiteral("GetExtensionInfo"));
    get.setArguments({uuid});
    const QDBusMessage reply = bus.call(get, QDBus::Block, GnomeFocusSource::kCallMs);
    return qdbus_cast<QVariantMap>(reply.arguments().value(0))
        .value(QStringLiteral("state"))
        .toInt();
}

}  // namespace

GnomeFocusSource::GnomeFocusSource(QObject *parent)
    : FocusSource(parent)
    , m_bus(QDBusConnection::sessionBus())
{
    if (!DesktopSession::isWayland() || !m_bus.isConnected()
        || !m_bus.interface()->isServiceRegistered(QLatin1String(kShellService)))
        return;
    m_shell = true;
    m_uuid = extensionFor(shellVersion(m_bus));
    auto *watcher = new QDBusServiceWatcher(
        QLatin1String(kService), m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString &, const QString &, const QString &owner) {
            extensionChanged(!owner.isEmpty());
        });
    // Only the extension's own signals: the bus gives them from its current owner alone.
    m_bus.connect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kInterface),
        QStringLiteral("FocusChanged"), this, SLOT(onFocusChanged(QVariantMap)));
    // The Shell tells when it enables, disables or refuses an extension.
    m_bus.connect(QLatin1String(kShellService), QLatin1String(kShellPath),
        QLatin1String(kExtensionsInterface), QStringLiteral("ExtensionStateChanged"), this,
        SLOT(onExtensionStateChanged(QString, QVariantMap)));
    m_shellState = extensionState(m_bus, m_uuid);
    extensionChanged(m_bus.interface()->isServiceRegistered(QLatin1String(kService)));
}

void GnomeFocusSource::onExtensionStateChanged(const QString &uuid, const QVariantMap &info)
{
    const int state = info.value(QStringLiteral("state")).toInt();
    if (uuid != m_uuid || state == m_shellState)
        return;
    m_shellState = state;
    if (!m_extension)
        emit activeChanged();  // the page's words change
}

FocusSource::Setup GnomeFocusSource::setupState() const
{
    if (m_shellState == kStateOutOfDate)
        return Setup::OutOfDate;
    return m_shellState == kStateError ? Setup::Failed : Setup::NotEnabled;
}

QString GnomeFocusSource::extensionFor(const QString &shellVersion)
{
    const int major = shellVersion.section(QLatin1Char('.'), 0, 0).toInt();
    return major > 0 && major < 45 ? QStringLiteral("stryla-config-43@korvane.example")
                                   : QStringLiteral("stryla-config@korvane.example");
}

QString GnomeFocusSource::setupHint() const
{
    return m_shell && !m_extension ? QStringLiteral("gnome-extensions enable %1").arg(m_uuid)
                                   : QString();
}

void GnomeFocusSource::extensionChanged(bool present)
{
    if (present == m_extension)
        return;
    m_extension = present;
    emit activeChanged();
    const QDBusMessage reply =
        present ? callExtension(m_bus, "Focused") : QDBusMessage::createError(QString(), QString());
    onFocusChanged(reply.type() == QDBusMessage::ReplyMessage
            ? qdbus_cast<QVariantMap>(reply.arguments().value(0))
            : QVariantMap {});
}

FocusSource::Window GnomeFocusSource::fromMap(const QVariantMap &map)
{
    Window window;
    window.id = map.value(QStringLiteral("id")).toString();
    window.pid = map.value(QStringLiteral("pid")).toLongLong();
    // Mutter gives a Wayland window its app id as the class; the desktop file's name is the
    // fallback for a window without one.
    window.appClass = map.value(QStringLiteral("wmClass")).toString();
    if (window.appClass.isEmpty())
        window.appClass = map.value(QStringLiteral("appId")).toString();
    window.title = map.value(QStringLiteral("title")).toString();
    return window;
}

void GnomeFocusSource::onFocusChanged(const QVariantMap &window)
{
    const Window now = fromMap(window);
    if (now == m_focused)
        return;
    m_focused = now;
    emit focusChanged();
}

QList<FocusSource::Window> GnomeFocusSource::windows() const
{
    QList<Window> list;
    if (!m_extension)
        return list;
    const QDBusMessage reply = callExtension(m_bus, "Windows");
    if (reply.type() != QDBusMessage::ReplyMessage)
        return list;
    const QDBusArgument argument = reply.arguments().value(0).value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QVariantMap map;
        argument >> map;
        list.append(fromMap(map));
    }
    argument.endArray();
    return list;
}
