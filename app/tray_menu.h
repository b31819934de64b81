#pragma once

#include <QList>
#include <QObject>
#include <QSystemTrayIcon>

class ProgramSwitcher;
class QAction;
class QMenu;
class QWidget;
class SceneGate;

// The program's icon in the tray and its menu: one entry per profile of the scene's list (the
// one in use checked; choosing one switches as the drop-down does), the entry that turns the
// automatic profile switch on and off, and "Quit (&Q)". The profile entries wait while a page
// of the window is open. The menu is a pop-up of the window.
class TrayMenu : public QObject
{
    Q_OBJECT

public:
    static constexpr int kBalloonMs = 10000;

    // Shows the icon where the desktop has a tray (and on X11, where a tray may come later).
    TrayMenu(QWidget *window, SceneGate *gate);

    QSystemTrayIcon *icon() const { return m_icon; }

    // Adds the profile entries and the automatic switch's entry, above "Quit (&Q)".
    void addProfiles(ProgramSwitcher *programs);

    void showBalloon(const QString &title, const QString &message);
    // The language changed: the entries' texts follow.
    void retranslate();

signals:
    void quitRequested();

private:
    void updateProfiles();

    SceneGate *m_gate;
    ProgramSwitcher *m_programs = nullptr;
    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    QList<QAction *> m_profileActions;
    QAction *m_profilesEnd = nullptr;
    QAction *m_automatic = nullptr;
    QAction *m_quit = nullptr;
};
