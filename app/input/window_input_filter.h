#pragma once

#include <QObject>

class QKeyEvent;
class QMouseEvent;

// Where no desktop-wide source exists (no X display, offscreen), the application's own key and
// button events stand in for it, so recording still works while one of its windows has the
// focus. Installed on the application object, the filter looks at each event once, when it
// reaches the top-level window that the window system delivered it to; the copies that Qt passes
// on to widgets and embedded scenes are left alone. Nothing is consumed.
class WindowInputFilter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override;

    // Feed one event to the hook procedures. A key goes by its native scan code, which under
    // xcb and Wayland is the X keycode; without one, by its Qt key. Auto-repeated key events
    // and double clicks are left out. Return the USB key code or button code reported, 0 for
    // none.
    static uchar feedKey(const QKeyEvent &event, bool pressed);
    static uchar feedMouse(const QMouseEvent &event, bool pressed);
};
