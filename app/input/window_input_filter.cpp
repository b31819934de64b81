#include "window_input_filter.h"

#include "input_hook.h"
#include "key_tables.h"
#include "linux_key_map.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {

constexpr quint32 kMaxXKeycode = 255;

// The X button number of a Qt button: 1 left, 2 middle, 3 right, 0 for the others.
uint xButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::MiddleButton:
        return 2;
    case Qt::RightButton:
        return 3;
    default:
        return 0;
    }
}

uint linuxCode(const QKeyEvent &event)
{
    const quint32 native = event.nativeScanCode();
    if (native >= LinuxKeyMap::kXKeycodeOffset && native <= kMaxXKeycode)
        return native - LinuxKeyMap::kXKeycodeOffset;
    return LinuxKeyMap::linuxCodeForQtKey(
        event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

}  // namespace

bool WindowInputFilter::eventFilter(QObject *watched, QEvent *event)
{
    // Only the delivery from the window system to the top-level window counts: Qt sends the
    // same press on to the focus widget and to embedded scenes.
    if (!watched->isWindowType() || !event->spontaneous())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        feedKey(*static_cast<QKeyEvent *>(event), event->type() == QEvent::KeyPress);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        feedMouse(*static_cast<QMouseEvent *>(event), event->type() == QEvent::MouseButtonPress);
        break;
    default:
        break;
    }
    return false;
}

uchar WindowInputFilter::feedKey(const QKeyEvent &event, bool pressed)
{
    // A held key repeats as release and press pairs here; the raw sources never repeat.
    if (event.isAutoRepeat())
        return 0;
    const LinuxKeyMap::ScanCode key = LinuxKeyMap::scanCodeFor(linuxCode(event));
    if (!key.scan)
        return 0;
    return InputHook::keyboardProcedure(key.scan, key.extended, false, pressed);
}

uchar WindowInputFilter::feedMouse(const QMouseEvent &event, bool pressed)
{
    const uint message = KeyTables::messageForXButton(xButton(event.button()), pressed);
    if (!message)
        return 0;
    const QPoint pos = event.globalPosition().toPoint();
    return InputHook::mouseProcedure(message, pos.x(), pos.y());
}
