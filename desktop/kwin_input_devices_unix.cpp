#include "kwin_input_devices.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QVariantMap>

#include <cmath>

namespace KWinInputDevices {

namespace {

constexpr const char *kService = "org.kde.KWin";
constexpr const char *kManagerPath = "/org/kde/KWin/InputDevice";
constexpr const char *kManagerInterface = "org.kde.KWin.InputDeviceManager";
constexpr const char *kDeviceInterface = "org.kde.KWin.InputDevice";
constexpr const char *kPropertiesInterface = "org.freedesktop.DBus.Properties";
// KWin stores the speed with three decimals.
constexpr double kSpeedTolerance = 0.0005;

// One call of the properties interface: false on an error or when no answer comes in time.
bool callProperties(const QString &path, const QString &method, const QList<QVariant> &arguments,
    QList<QVariant> *reply = nullptr)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), path, QString::fromLatin1(kPropertiesInterface), method);
    call.setArguments(arguments);
    const QDBusMessage answer =
        QDBusConnection::sessionBus().call(call, QDBus::Block, kBusTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage)
        return false;
    if (reply)
        *reply = answer.arguments();
    return true;
}

QVariant unwrapped(const QVariant &value)
{
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

QVariant property(const QString &path, const char *interface, const char *name)
{
    QList<QVariant> reply;
    if (!callProperties(path, QStringLiteral("Get"),
            {QString::fromLatin1(interface), QString::fromLatin1(name)}, &reply)
        || reply.isEmpty())
        return {};
    return unwrapped(reply.first());
}

// The device's properties by name; empty when it does not answer.
QVariantMap deviceProperties(const QString &path)
{
    QList<QVariant> reply;
    if (!callProperties(
            path, QStringLiteral("GetAll"), {QString::fromLatin1(kDeviceInterface)}, &reply)
        || reply.isEmpty())
        return {};
    QVariantMap properties;
    const QDBusArgument argument = reply.first().value<QDBusArgument>();
    argument >> properties;
    return properties;
}

bool isAdjustableMouse(const QVariantMap &device)
{
    const auto flag = [&device](const char *name) {
        return unwrapped(device.value(QString::fromLatin1(name))).toBool();
    };
    return flag("pointer") && !flag("touchpad") && flag("supportsPointerAcceleration");
}

}  // namespace

QStringList adjustableMice()
{
    if (!QDBusConnection::sessionBus().isConnected())
        return {};
    const QVariant names =
        property(QString::fromLatin1(kManagerPath), kManagerInterface, "devicesSysNames");
    if (!names.isValid())
        return {};
    QStringList mice;
    for (const QString &name : names.toStringList()) {
        if (name.isEmpty() || name.contains(QLatin1Char('/')))
            continue;  // not a path element: not a device KWin could have
        const QString path = QString::fromLatin1(kManagerPath) + QLatin1Char('/') + name;
        const QVariantMap device = deviceProperties(path);
        if (device.isEmpty())
            return {};  // KWin stopped answering: ask no more
        if (isAdjustableMouse(device))
            mice << path;
    }
    return mice;
}

bool setPointerAcceleration(const QStringList &devices, double speed)
{
    for (const QString &path : devices) {
        if (!callProperties(path, QStringLiteral("Set"),
                {QString::fromLatin1(kDeviceInterface), QStringLiteral("pointerAcceleration"),
                    QVariant::fromValue(QDBusVariant(speed))}))
            return false;
        // KWin answers a value it could not apply without an error: the value read back tells.
        const QVariant now = property(path, kDeviceInterface, "pointerAcceleration");
        if (!now.isValid() || std::abs(now.toDouble() - speed) > kSpeedTolerance)
            return false;
    }
    return !devices.isEmpty();
}

}  // namespace KWinInputDevices
