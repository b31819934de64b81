#pragma once

#include "focus_source.h"

#include <QDBusConnection>
#include <QVariantMap>

// The focused window on GNOME Shell, which tells no client which window has the focus. A small
// extension of the Shell (packaging/gnome-shell/) exports it on the session bus, with a signal
// on every change; this source reads that. While the extension is not enabled the source is
// inactive and says how to enable it (setupHint()); it notices when the extension comes or
// goes.
class GnomeFocusSource : public FocusSource
{
    Q_OBJECT

public:
    static constexpr const char *kService = "example.korvane.StrylaConfig.Shell";
    static constexpr const char *kPath = "/example/korvane/StrylaConfig/Shell";
    static constexpr const char *kInterface = "example.korvane.StrylaConfig.Shell";
    // How long one question to the Shell may take.
    static constexpr int kCallMs = 1000;

    // Inactive without GNOME Shell on the session bus of a Wayland session.
    explicit GnomeFocusSource(QObject *parent = nullptr);

    QString name() const override { return QStringLiteral("GNOME Shell"); }
    Coverage coverage() const override { return Coverage::AllWindows; }
    bool isActive() const override { return m_extension; }
    Window focused() const override { return m_focused; }
    QList<Window> windows() const override;
    QString setupHint() const override;
    Setup setupState() const override;

    // The extension's id for a Shell version ("43.9", "46.2"): the format changed at 45.
    static QString extensionFor(const QString &shellVersion);
    // A window as the extension describes it.
    static Window fromMap(const QVariantMap &map);

private slots:
    void onFocusChanged(const QVariantMap &window);
    void onExtensionStateChanged(const QString &uuid, const QVariantMap &info);

private:
    void extensionChanged(bool present);

    QDBusConnection m_bus;
    bool m_shell = false;      // GNOME Shell runs this session
    bool m_extension = false;  // and its extension answers
    QString m_uuid;
    int m_shellState = 0;  // the Shell's state of the extension (its ExtensionState numbers)
    Window m_focused;
};
