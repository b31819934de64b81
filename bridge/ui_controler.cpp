#include "ui_controler.h"

#include "dialog_texts.h"
#include "hid_thread.h"
#include "lang_strings.h"
#include "myqquickview.h"
#include "scene_gate.h"
#include "settings_store.h"
#include "window_platform.h"

#include <QEvent>
#include <QQmlContext>
#include <QQuickWindow>
#include <QSettings>
#include <QWidget>
#include <QWindow>

const QUrl Ui_Controler::kSceneUrl(QStringLiteral("qrc:modules/qml/main.qml"));

void Ui_Controler::setup(QWidget *hostWindow, Hid_Thread *hid, const QUrl &scene)
{
    if (hostWindow->objectName().isEmpty())
        hostWindow->setObjectName(QStringLiteral("Widget"));
    m_hostWindow = hostWindow;
    hostWindow->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    hostWindow->setWindowOpacity(1.0);
    hostWindow->setAttribute(Qt::WA_TranslucentBackground);
    hostWindow->setStyleSheet(QStringLiteral("background:transparent;"));

    // The scene is flat pictures, text and a few glows. The software renderer redraws only
    // what changed and needs no GL context; a GL path renders and composites the whole window
    // for every change, which with Mesa's software GL made each frame of the lighting preview
    // cost about ten times as much.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    m_view = new myQQuickView(hostWindow);
    m_view->setObjectName(QStringLiteral("ui_View"));
    m_view->setHidThread(hid);
    m_view->setSource(scene);
    m_gate = new SceneGate(m_view, this);

    QQmlContext *context = m_view->rootContext();
    context->setContextProperty(QStringLiteral("ui_View"), m_view);
    context->setContextProperty(QStringLiteral("hid"), hid);
    context->setContextProperty(QStringLiteral("ui_Ctl"), this);

    window_platform::fixSize(hostWindow, m_view->width(), m_view->height());
    m_placesWindows = window_platform::placesWindows();
    const QSettings config(QString::fromLatin1(StoreFiles::kGlobal), QSettings::IniFormat);
    hostWindow->setWindowTitle(config.value(QStringLiteral("common/name"), QString()).toString());
    // The scene names the language again once it starts (useLanguage); until then the tray
    // menu follows the stored choice.
    installDialogTexts(this,
        LangStrings::resolveChoice(config.value(QStringLiteral("common/language")).toString()));
}

void Ui_Controler::onMinimize()
{
    m_hostWindow->showMinimized();
}

void Ui_Controler::onClose()
{
    m_hostWindow->setVisible(false);
}

void Ui_Controler::onQuit()
{
    emit quitRequested();
}

void Ui_Controler::onXChanged(int x)
{
    moveBy(x, 0);
}

void Ui_Controler::onYChanged(int y)
{
    moveBy(0, y);
}

void Ui_Controler::moveBy(int dx, int dy)
{
    if (!m_moveHandedOver && m_placesWindows)
        m_hostWindow->move(m_hostWindow->pos() + QPoint(dx, dy));
}

// Asked on the press itself, so the window system has the grab point where the button went
// down and no motion of the drag is lost. A window that cannot be placed by the program (under
// Wayland, and on XWayland, where moving it is ignored) moves only this way.
void Ui_Controler::onDragPressed()
{
    QWindow *window = m_hostWindow->windowHandle();
    m_moveHandedOver = window && window->startSystemMove();
}

void Ui_Controler::setBusy(int busyTime)
{
    if (m_view)
        m_view->setBusy(busyTime);
}
