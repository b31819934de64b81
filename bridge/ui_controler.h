#pragma once

#include <QObject>
#include <QUrl>

class Hid_Thread;
class QWidget;
class SceneGate;
class myQQuickView;

// Sets up the frameless host window, creates the view with the scene, and lets the scene
// minimise, hide and drag the window. The scene reaches it as "ui_Ctl".
//
// Dragging: the scene reports the press that may begin a drag (onDragPressed), then the
// pointer's offsets (onXChanged, onYChanged). The press asks the window system to move the
// window (Wayland, and X11 window managers that offer it, also under XWayland), which then
// follows the pointer from the press on; the offsets of that drag are ignored. Where it cannot
// and the program may place its window, the window moves by the offsets.
class Ui_Controler : public QObject
{
    Q_OBJECT

public:
    static const QUrl kSceneUrl;  // qrc:modules/qml/main.qml

    Ui_Controler() = default;

    // Window properties, the view, the scene, then the context properties ui_View, hid and
    // ui_Ctl (only after loading: the scene must not use them while it loads), the size and
    // the title.
    void setup(QWidget *hostWindow, Hid_Thread *hid, const QUrl &scene = kSceneUrl);

    QWidget *hostWindow() const { return m_hostWindow; }
    myQQuickView *view() const { return m_view; }
    // The program's one door to the scene's root (null until setup).
    SceneGate *gate() const { return m_gate; }

public slots:
    void onMinimize();
    void onClose();
    // The scene's Quit, once unsaved changes were asked about: the program ends.
    void onQuit();
    void onXChanged(int x);
    void onYChanged(int y);
    void onDragPressed();
    void setBusy(int busyTime = 0);

signals:
    void quitRequested();

private:
    void moveBy(int dx, int dy);

    QWidget *m_hostWindow = nullptr;
    myQQuickView *m_view = nullptr;
    SceneGate *m_gate = nullptr;
    bool m_placesWindows = true;
    bool m_moveHandedOver = false;  // the window system moves the window until the next press
};
