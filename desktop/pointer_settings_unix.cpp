// The desktop's pointer settings on Linux desktops: GSettings, kdeglobals and KWin.
// gio comes before any Qt header: it uses the name "signals", which Qt defines as a keyword.
#include <gio/gio.h>

#include "pointer_settings.h"

#include "desktop_log.h"

#include "kwin_input_devices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>

namespace PointerSettings {

namespace {

constexpr const char *kMouseSchema = "org.gnome.desktop.peripherals.mouse";
constexpr int kSlowestDoubleClickMs = 900;
constexpr int kDoubleClickMsPerStep = 70;
constexpr uint kDefaultSpeedStep = 5;

// Plasma's notice of changed global settings, as its own settings modules send it: change
// type SettingsChanged (3), category SETTINGS_MOUSE (0). Running programs then read the
// mouse keys of kdeglobals again.
constexpr const char *kKdeNoticePath = "/KGlobalSettings";
constexpr const char *kKdeNoticeInterface = "org.kde.KGlobalSettings";
constexpr const char *kKdeNoticeName = "notifyChange";
constexpr int kKdeSettingsChanged = 3;
constexpr int kKdeMouseSettings = 0;

template<typename T, void (*release)(T *)>
struct Releaser
{
    void operator()(T *object) const { release(object); }
};
void releaseSettings(GSettings *settings)
{
    g_object_unref(settings);
}
using SchemaPtr =
    std::unique_ptr<GSettingsSchema, Releaser<GSettingsSchema, g_settings_schema_unref>>;
using KeyPtr =
    std::unique_ptr<GSettingsSchemaKey, Releaser<GSettingsSchemaKey, g_settings_schema_key_unref>>;
using VariantPtr = std::unique_ptr<GVariant, Releaser<GVariant, g_variant_unref>>;
using SettingsPtr = std::unique_ptr<GSettings, Releaser<GSettings, releaseSettings>>;

// The schema, when it is installed and has a fixed path (g_settings_new_full needs one).
SchemaPtr lookUpSchema(const char *schemaId)
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();  // not owned
    if (!source)
        return nullptr;
    SchemaPtr schema(g_settings_schema_source_lookup(source, schemaId, TRUE));
    if (!schema || !g_settings_schema_get_path(schema.get()))
        return nullptr;
    return schema;
}

bool acceptsValue(GSettingsSchema *schema, const char *key, GVariant *value)
{
    if (!g_settings_schema_has_key(schema, key))
        return false;
    const KeyPtr schemaKey(g_settings_schema_get_key(schema, key));
    return g_variant_is_of_type(value, g_settings_schema_key_get_value_type(schemaKey.get()))
        && g_settings_schema_key_range_check(schemaKey.get(), value);
}

// Without dconf GIO falls back to its memory backend (or is told to use it): changes then
// live as long as this process and no other program sees them.
bool keepsChanges(GSettings *settings)
{
    gpointer backend = nullptr;
    g_object_get(settings, "backend", &backend, nullptr);
    if (!backend)
        return false;
    const QByteArray type = G_OBJECT_TYPE_NAME(backend);
    g_object_unref(backend);
    return type != "GMemorySettingsBackend" && type != "GNullSettingsBackend";
}

// Takes a floating value. Type and range are checked first: GSettings answers a bad value
// with a critical warning rather than a result.
bool writeGSettings(const char *schemaId, const char *key, GVariant *floatingValue)
{
    const VariantPtr value(g_variant_ref_sink(floatingValue));
    const SchemaPtr schema = lookUpSchema(schemaId);
    if (!schema || !acceptsValue(schema.get(), key, value.get()))
        return false;
    const SettingsPtr settings(g_settings_new_full(schema.get(), nullptr, nullptr));
    if (!keepsChanges(settings.get()) || !g_settings_is_writable(settings.get(), key))
        return false;
    if (!g_settings_set_value(settings.get(), key, value.get()))
        return false;
    // dconf accepts a write it cannot commit (no session bus to reach its service) and takes
    // the value back once the sync has waited for the commit.
    g_settings_sync();
    const VariantPtr stored(g_settings_get_value(settings.get(), key));
    const bool kept = g_variant_equal(stored.get(), value.get());
    qCDebug(lcDesktop).noquote() << "GSettings" << schemaId << key
                                 << (kept ? "written" : "not kept by the backend");
    return kept;
}

bool onKdeDesktop()
{
    const QStringList desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'));
    return desktops.contains(QStringLiteral("KDE"), Qt::CaseInsensitive);
}

QString kdeglobalsPath()
{
    QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        folder = QDir::homePath() + QStringLiteral("/.config");
    return folder + QStringLiteral("/kdeglobals");
}

// The file is edited as text: KDE's own syntax (group names with ':', keys with "[$e]")
// does not survive a round trip through QSettings.
bool writeKdeGlobals(const QByteArray &key, int value)
{
    const QString path = kdeglobalsPath();
    QByteArray text;
    QFile current(path);
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly))
            return false;
        text = current.readAll();
        if (current.error() != QFile::NoError)
            return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(withKdeSetting(text, key, QByteArray::number(value)));
    qCDebug(lcDesktop).noquote() << "kdeglobals" << path << key << "=" << value;
    return out.commit();
}

// Writes one mouse key of kdeglobals and tells the running programs, as Plasma's settings do.
// Without a session bus nothing is written: no running program would learn of it.
bool applyKdeMouseSetting(const QByteArray &key, int value)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !writeKdeGlobals(key, value))
        return false;
    QDBusMessage notice = QDBusMessage::createSignal(QString::fromLatin1(kKdeNoticePath),
        QString::fromLatin1(kKdeNoticeInterface), QString::fromLatin1(kKdeNoticeName));
    notice << kKdeSettingsChanged << kKdeMouseSettings;
    return bus.send(notice);
}

bool reportFailure(bool done, const char *failureLine)
{
    if (!done)
        qDebug().noquote() << failureLine;
    return done;
}

}  // namespace

double gnomeSpeedForStep(uint step)
{
    return (double(step) - kDefaultSpeedStep) / kDefaultSpeedStep;
}

int doubleClickMsForStep(uint step)
{
    return kSlowestDoubleClickMs - kDoubleClickMsPerStep * int(qMin(step, kMaxStep));
}

bool writeGSettingsDouble(const char *schemaId, const char *key, double value)
{
    return writeGSettings(schemaId, key, g_variant_new_double(value));
}

bool writeGSettingsInt(const char *schemaId, const char *key, int value)
{
    return writeGSettings(schemaId, key, g_variant_new_int32(value));
}

QByteArray withKdeSetting(
    const QByteArray &kdeglobals, const QByteArray &key, const QByteArray &value)
{
    const QByteArray setting = key + '=' + value;
    QList<QByteArray> rows = kdeglobals.split('\n');
    bool inKdeGroup = false;
    bool replaced = false;
    qsizetype firstGroupLine = -1;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QByteArray row = rows.at(i).trimmed();
        if (row.startsWith('[')) {
            inKdeGroup = row == "[KDE]";
            if (inKdeGroup && firstGroupLine < 0)
                firstGroupLine = i + 1;
        } else if (inKdeGroup && row.split('=').first().trimmed() == key) {
            rows[i] = setting;
            replaced = true;
        }
    }
    if (replaced)
        return rows.join('\n');
    if (firstGroupLine >= 0) {
        rows.insert(firstGroupLine, setting);
        return rows.join('\n');
    }
    QByteArray text = kdeglobals;
    if (!text.isEmpty())
        text += text.endsWith('\n') ? "\n" : "\n\n";
    return text + "[KDE]\n" + setting + "\n";
}

// Plasma keeps the pointer speed per input device, applied and kept by KWin; there is no
// desktop-wide value to set there.
bool mouseSetCursorSpeed(uint step)
{
    bool done = false;
    if (step <= kMaxStep) {
        const double speed = gnomeSpeedForStep(step);
        done = onKdeDesktop()
            ? KWinInputDevices::setPointerAcceleration(KWinInputDevices::adjustableMice(), speed)
            : writeGSettingsDouble(kMouseSchema, "speed", speed);
    }
    return reportFailure(done, "setCursorSpeed Failed");
}

bool canSetCursorSpeed()
{
    if (onKdeDesktop())
        return !KWinInputDevices::adjustableMice().isEmpty();
    const SchemaPtr schema = lookUpSchema(kMouseSchema);
    if (!schema || !g_settings_schema_has_key(schema.get(), "speed"))
        return false;
    const SettingsPtr settings(g_settings_new_full(schema.get(), nullptr, nullptr));
    return keepsChanges(settings.get()) && g_settings_is_writable(settings.get(), "speed");
}

bool mouseSetDoubleClickSpeed(uint step)
{
    bool done = false;
    if (step <= kMaxStep) {
        const int ms = doubleClickMsForStep(step);
        done = onKdeDesktop() ? applyKdeMouseSetting("DoubleClickInterval", ms)
                              : writeGSettingsInt(kMouseSchema, "double-click", ms);
    }
    return reportFailure(done, "setDoubleClickSpeed Failed");
}

bool mouseSetVerticalScrollLines(uint lines)
{
    return reportFailure(lines >= 1 && lines <= kOneScreen && onKdeDesktop()
            && applyKdeMouseSetting("WheelScrollLines", int(lines)),
        "setVerticalScrollLines Failed");
}

}  // namespace PointerSettings
