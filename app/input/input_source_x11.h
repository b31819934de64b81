#pragma once

#include <QByteArray>
#include <QObject>

#include <xcb/xcb.h>

#include <cstdint>

class QSocketNotifier;

// Desktop-wide key and button transitions on X11: the raw XInput2 events (XI_RawKeyPress,
// XI_RawKeyRelease, XI_RawButtonPress, XI_RawButtonRelease) of all master devices, selected on
// the root window through a connection of its own, so that Qt's connection and its event
// handling stay untouched. The connection's socket is watched on the thread that opens it.
// Raw events arrive whichever window has the focus, carry the keyboard's keycode rather than a
// keysym, and have no auto-repeat.
class X11InputSource : public QObject
{
    Q_OBJECT
public:
    explicit X11InputSource(QObject *parent = nullptr);
    ~X11InputSource() override;

    // Connects to displayName (empty: $DISPLAY), selects the raw events and starts watching.
    // False, with one diagnostic line, when there is no display or it has no XInput 2.2.
    bool open(const QByteArray &displayName = QByteArray());
    void close();
    bool isOpen() const { return m_connection != nullptr; }

    // Hands one event of the connection to the hook procedures. xinputOpcode is the major
    // opcode of the XInput extension on that connection. Keys go by their Linux input code
    // (X keycode − 8); buttons 1, 2, 3 take the pointer's current screen position. Returns
    // whether the event was one of the four raw events.
    static bool dispatch(const xcb_generic_event_t *event, uint8_t xinputOpcode);

private:
    bool selectRawEvents(int screenNumber);
    void drain();

    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    uint8_t m_xinputOpcode = 0;
};
