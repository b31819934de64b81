#include "tray_menu.h"

#include "program_switcher.h"
#include "scene_gate.h"

#include <QAction>
#include <QCursor>
#include <QDebug>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QWidget>

namespace {

const char kToolTip[] = "KORVANE STRYLA MOUSE Z7";
const char kIconFile[] = "./modules/img/logo.ico";
const char kMenuStyle[] =
    "QMenu { border: 1px solid rgb(100, 100, 100); background: rgb(68, 69, 73); } "
    "QMenu::item { height: 22px; padding: 0px 25px 0px 20px; } "
    "QMenu::item:enabled { color: rgb(225, 225, 225); } "
    "QMenu::item:!enabled { color: rgb(155, 155, 155); } "
    "QMenu::item:enabled:selected { color: rgb(230, 230, 230); background: rgba(255, 255, 255, "
    "40); } "
    "QMenu::separator { height: 1px; background: rgb(100, 100, 100); } "
    "QMenu::indicator { width: 13px; height: 13px; } "
    "QMenu::icon { padding-left: 2px; padding-right: 2px; } ";
// The index of the automatic switch's entry among the texts of the programs.
constexpr int kAutomaticText = 8;

}  // namespace

TrayMenu::TrayMenu(QWidget *window, SceneGate *gate)
    : QObject(window)
    , m_gate(gate)
{
    m_icon = new QSystemTrayIcon(this);
    m_quit = new QAction(tr("Quit (&Q)"), this);
    connect(m_quit, &QAction::triggered, this, &TrayMenu::quitRequested);
    m_menu = new QMenu(window);
    m_menu->addAction(m_quit);
    m_menu->setStyleSheet(QString::fromLatin1(kMenuStyle));
    m_icon->setContextMenu(m_menu);
    // Trays that draw the menu themselves take it from the icon; the others (swaybar, and any
    // tray that asks the item for its menu) report a context activation, for which the program
    // shows it. A menu already open (X11 trays open it before reporting) stays as it is.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Context && !m_menu->isVisible())
            m_menu->popup(QCursor::pos());
    });
    m_icon->setToolTip(QString::fromLatin1(kToolTip));
    m_icon->setIcon(QIcon(QString::fromLatin1(kIconFile)));
    // A tray of the D-Bus protocol is found when the icon is made, or never; on X11 Qt also
    // waits for a tray that starts later. Elsewhere an icon without a tray only draws warnings.
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    if (trayAvailable || QGuiApplication::platformName() == QLatin1String("xcb"))
        m_icon->setVisible(true);
    if (!trayAvailable)
        qDebug().noquote()
            << "No system tray on this desktop: while the window is hidden the program is "
               "reached by starting it again with the device connected, and ended with "
               "'pkill stryla-config'";
}

void TrayMenu::addProfiles(ProgramSwitcher *programs)
{
    m_programs = programs;
    m_automatic = new QAction(this);
    m_automatic->setObjectName(QStringLiteral("trayAutomatic"));
    m_automatic->setCheckable(true);
    connect(m_automatic, &QAction::toggled, programs, &ProgramSwitcher::setAutomatic);
    m_menu->insertAction(m_quit, m_automatic);
    m_menu->insertSeparator(m_quit);
    m_profilesEnd = m_menu->insertSeparator(m_automatic);  // a leading separator collapses
    connect(m_gate, &SceneGate::profilesChanged, this, &TrayMenu::updateProfiles);
    connect(m_gate, &SceneGate::profileInUseChanged, this, &TrayMenu::updateProfiles);
    connect(programs, &ProgramSwitcher::rulesChanged, this, &TrayMenu::updateProfiles);
    connect(m_menu, &QMenu::aboutToShow, this, &TrayMenu::updateProfiles);
    updateProfiles();
}

void TrayMenu::showBalloon(const QString &title, const QString &message)
{
    m_icon->showMessage(title, message, QSystemTrayIcon::Information, kBalloonMs);
}

void TrayMenu::retranslate()
{
    m_quit->setText(tr("Quit (&Q)"));
    if (m_automatic)
        updateProfiles();
}

void TrayMenu::updateProfiles()
{
    m_automatic->setText(m_programs->texts().at(kAutomaticText));
    {
        const QSignalBlocker blocker(m_automatic);
        m_automatic->setChecked(m_programs->automatic());
    }
    const QList<SceneGate::Profile> profiles = m_gate->profiles();
    const int inUse = m_gate->profileInUse();
    const bool pageOpen = m_gate->popupOpen();
    while (m_profileActions.size() > profiles.size())
        delete m_profileActions.takeLast();
    while (m_profileActions.size() < profiles.size()) {
        auto *action = new QAction(this);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, action] {
            m_gate->requestProfile(action->data().toInt());
            updateProfiles();  // a refused switch leaves the mark where it was
        });
        m_menu->insertAction(m_profilesEnd, action);
        m_profileActions.append(action);
    }
    for (int i = 0; i < profiles.size(); ++i) {
        QAction *action = m_profileActions.at(i);
        const SceneGate::Profile &profile = profiles.at(i);
        action->setText(profile.name);
        action->setData(profile.number);
        action->setObjectName(QStringLiteral("trayProfile%1").arg(profile.number));
        action->setChecked(profile.number == inUse);
        action->setEnabled(!pageOpen);
    }
}
