#include "focus_source_kwin.h"

#include "desktop_session.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

constexpr const char *kKWinService = "org.kde.KWin";
constexpr const char *kScriptingPath = "/Scripting";
constexpr const char *kScriptingInterface = "org.kde.kwin.Scripting";
// Where the package installs the script, below a data folder of the desktop.
constexpr const char *kInstalledScript = "kwin/scripts/stryla-config-focus/contents/code/main.js";
constexpr const char *kBuiltInScript = ":/packaging/kwin/stryla-config-focus/contents/code/main.js";

// One call of KWin's scripting interface, waiting at most kCallMs for the answer.
QDBusMessage callScripting(QDBusConnection &bus, const char *method, const QVariantList &args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kKWinService),
        QLatin1String(kScriptingPath), QLatin1String(kScriptingInterface), QLatin1String(method));
    call.setArguments(args);
    return bus.call(call, QDBus::Block, KWinFocusSource::kCallMs);
}

}  // namespace

KWinFocusSource::KWinFocusSource(QObject *parent)
    : FocusSource(parent)
    , m_bus(QDBusConnection::sessionBus())
{
    if (!DesktopSession::isWayland() || !m_bus.isConnected())
        return;
    const QDBusReply<QString> owner = m_bus.interface()->serviceOwner(QLatin1String(kKWinService));
    if (!owner.isValid())
        return;  // not Plasma
    m_kwinOwner = owner.value();
    if (!m_bus.registerObject(QLatin1String(kPath), this, QDBusConnection::ExportScriptableSlots))
        return;
    if (!m_bus.registerService(QLatin1String(kService))) {
        qDebug().noquote() << QStringLiteral("The bus name %1 is taken (another stryla-config?): "
                                             "focus rules do not see Wayland windows")
                                  .arg(QLatin1String(kService));
        m_bus.unregisterObject(QLatin1String(kPath));
        return;
    }
    m_active = true;
    // A KWin that restarts (after a crash) has forgotten the script.
    auto *watcher = new QDBusServiceWatcher(
        QLatin1String(kKWinService), m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](
            const QString &, const QString &, const QString &newOwner) { kwinChanged(newOwner); });
}

void KWinFocusSource::kwinChanged(const QString &newOwner)
{
    m_kwinOwner = newOwner;
    m_loaded = false;
    if (m_watching && !newOwner.isEmpty())
        loadScript();
}

KWinFocusSource::~KWinFocusSource()
{
    if (!m_active)
        return;
    blockSignals(true);  // whoever listens may be half gone
    unloadScript();
    m_bus.unregisterService(QLatin1String(kService));
    m_bus.unregisterObject(QLatin1String(kPath));
    removeRuntimeCopy();
}

void KWinFocusSource::setWatching(bool on)
{
    m_watching = on;
    if (!m_active || on == m_loaded)
        return;
    if (on)
        loadScript();
    else
        unloadScript();
}

QString KWinFocusSource::scriptFile()
{
    const QString installed = QStandardPaths::locate(
        QStandardPaths::GenericDataLocation, QLatin1String(kInstalledScript));
    if (!installed.isEmpty())
        return installed;
    // KWin reads the file itself: a private copy in the runtime folder, rewritten every time.
    const QString copy = runtimeCopy();
    if (copy.isEmpty())
        return QString();
    QFile::remove(copy);
    return QFile::copy(QLatin1String(kBuiltInScript), copy)
            && QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner)
        ? copy
        : QString();
}

QString KWinFocusSource::runtimeCopy()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString()
                            : QDir(folder).filePath(QStringLiteral("stryla-config-kwin-focus.js"));
}

// KWin reads the script in the background once it runs; its first report shows it has, and
// from then on the copy is not needed (a KWin that restarts is given a new one).
void KWinFocusSource::removeRuntimeCopy()
{
    const QString copy = runtimeCopy();
    if (!copy.isEmpty())
        QFile::remove(copy);
}

bool KWinFocusSource::loadScript()
{
    const QString name = QLatin1String(kScriptName);
    // A script of ours left loaded (a program that crashed) would report twice.
    const QDBusMessage loaded = callScripting(m_bus, "isScriptLoaded", {name});
    if (loaded.type() == QDBusMessage::ReplyMessage && loaded.arguments().value(0).toBool())
        callScripting(m_bus, "unloadScript", {name});

    const QString file = scriptFile();
    const QDBusMessage reply = callScripting(m_bus, "loadScript", {file, name});
    const int id = reply.arguments().value(0, -1).toInt();
    if (file.isEmpty() || reply.type() != QDBusMessage::ReplyMessage || id < 0) {
        qDebug().noquote() << QStringLiteral("KWin did not load the focus script %1: %2")
                                  .arg(file, reply.errorMessage());
        return false;
    }
    m_loaded = true;
    // Plasma 6 keeps a loaded script below /Scripting, Plasma 5 at the root.
    for (const QString &path :
        {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)}) {
        const QDBusMessage run =
            m_bus.call(QDBusMessage::createMethodCall(QLatin1String(kKWinService), path,
                           QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run")),
                QDBus::Block, kCallMs);
        if (run.type() == QDBusMessage::ReplyMessage)
            return true;
    }
    qDebug().noquote() << "KWin loaded the focus script but did not start it";
    unloadScript();
    return false;
}

void KWinFocusSource::unloadScript()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    callScripting(m_bus, "unloadScript", {QLatin1String(kScriptName)});
    if (m_focused != Window {}) {
        m_focused = Window {};
        emit focusChanged();
    }
}

void KWinFocusSource::WindowActivated(const QString &resourceClass, const QString &desktopFile,
    const QString &pid, const QString &caption)
{
    // Only KWin tells the focus; anything else on the bus is turned away.
    if (!calledFromDBus() || message().service() != m_kwinOwner || !m_loaded)
        return;
    removeRuntimeCopy();
    Window now;
    bool pidOk = false;
    now.pid = pid.toLongLong(&pidOk);
    if (!pidOk || now.pid < 0)
        now.pid = 0;
    now.appClass = resourceClass.isEmpty() ? desktopFile : resourceClass;
    now.title = caption;
    if (!now.appClass.isEmpty() || now.pid)
        now.id = QStringLiteral("kwin-%1-%2").arg(now.pid).arg(now.appClass);
    if (now == m_focused)
        return;
    m_focused = now;
    emit focusChanged();
}
