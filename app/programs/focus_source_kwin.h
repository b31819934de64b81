#pragma once

#include "focus_source.h"

#include <QDBusConnection>
#include <QDBusContext>

// The active window on KDE Plasma (KWin), X11 and Wayland windows alike. KWin lets no client
// ask which window is active, but it runs scripts: this source loads one (packaging/kwin/) over
// KWin's scripting interface on the session bus, and the script calls WindowActivated of the
// object this source exports whenever another window takes the focus. The script is loaded
// while watching is on (the master switch) and unloaded when it goes off and at exit; a script
// left behind by a program that crashed is replaced at the next start.
class KWinFocusSource : public FocusSource, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "example.korvane.StrylaConfig.FocusWatch")

public:
    static constexpr const char *kService = "example.korvane.StrylaConfig";
    static constexpr const char *kPath = "/FocusWatch";
    static constexpr const char *kScriptName = "stryla-config-focus";
    // How long one call to KWin may take before the source gives up on it.
    static constexpr int kCallMs = 2000;

    // Inactive unless KWin runs on the session bus and the service name is free.
    explicit KWinFocusSource(QObject *parent = nullptr);
    ~KWinFocusSource() override;

    QString name() const override { return QStringLiteral("KWin"); }
    Coverage coverage() const override { return Coverage::AllWindows; }
    bool isActive() const override { return m_active; }
    Window focused() const override { return m_focused; }
    void setWatching(bool on) override;

    // The script file KWin is given: the installed one where KWin keeps scripts, else a copy of
    // the built-in one in the user's runtime folder.
    static QString scriptFile();
    // Where that copy goes ($XDG_RUNTIME_DIR); empty without a runtime folder.
    static QString runtimeCopy();

public slots:
    // Called by the script (from KWin's connection only); pid as text, "0" when unknown.
    Q_SCRIPTABLE void WindowActivated(const QString &resourceClass, const QString &desktopFile,
        const QString &pid, const QString &caption);

private:
    bool loadScript();
    void unloadScript();
    void kwinChanged(const QString &newOwner);
    static void removeRuntimeCopy();

    QDBusConnection m_bus;
    QString m_kwinOwner;  // KWin's unique name: the only caller taken
    bool m_active = false;
    bool m_watching = false;  // what the master switch wants
    bool m_loaded = false;    // what KWin runs
    Window m_focused;
};
