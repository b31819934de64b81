#pragma once

// A desktop of the test's own for the pointer settings: GSettings keeps its values in a key
// file of a temporary configuration folder (a backend that keeps them, as dconf does), and a
// session bus of its own carries Plasma's change notices. GIO and Qt settle on backend and
// bus once per process, so start() comes before anything uses either.

// gio first: it uses the name "signals", which Qt defines as a keyword.
#include <gio/gio.h>

#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class TestDesktop
{
public:
    static constexpr const char *kMouseSchema = "org.gnome.desktop.peripherals.mouse";

    TestDesktop() = default;
    TestDesktop(const TestDesktop &) = delete;
    TestDesktop &operator=(const TestDesktop &) = delete;
    ~TestDesktop()
    {
        m_bus.kill();
        m_bus.waitForFinished();
        if (m_mouse)
            g_object_unref(m_mouse);
    }

    // Sets the environment (a GNOME desktop) and starts the bus; what is missing, or empty.
    QString start()
    {
        if (!m_config.isValid())
            return QStringLiteral("no temporary folder");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        GSettingsSchemaSource *source = g_settings_schema_source_get_default();
        GSettingsSchema *schema =
            source ? g_settings_schema_source_lookup(source, kMouseSchema, TRUE) : nullptr;
        if (!schema)
            return QStringLiteral(
                "the GNOME mouse schema (package gsettings-desktop-schemas) is needed");
        g_settings_schema_unref(schema);
        m_mouse = g_settings_new(kMouseSchema);

        // The bus socket lives in the temporary folder and goes with it.
        m_bus.start(QStringLiteral("dbus-daemon"),
            {"--session", "--nofork", "--print-address",
                QStringLiteral("--address=unix:path=") + path(QStringLiteral("bus"))});
        if (!m_bus.waitForStarted(5000))
            return QStringLiteral("dbus-daemon (package dbus-daemon) is needed");
        while (!m_bus.canReadLine()) {
            if (!m_bus.waitForReadyRead(5000))
                return QStringLiteral("dbus-daemon gave no address");
        }
        m_address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address);
        return QString();
    }

    // The mouse settings of the GNOME schema, as the desktop holds them.
    GSettings *mouse() const { return m_mouse; }
    QString path(const QString &relative) const { return m_config.filePath(relative); }
    QString configHome() const { return m_config.path(); }
    QByteArray busAddress() const { return m_address; }

private:
    QTemporaryDir m_config;
    QProcess m_bus;
    GSettings *m_mouse = nullptr;
    QByteArray m_address;
};
