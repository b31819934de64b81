#pragma once

#include <QByteArray>

#include <cstdint>

struct xcb_connection_t;

// Synthetic input through the XTEST extension on a connection of its own: the X server takes
// it as coming from its XTEST devices, so every client, raw events included, sees it as real
// input. Keys go by X keycode (the Linux input code + 8), buttons by number.
class XTestInput
{
public:
    XTestInput() = default;
    ~XTestInput();
    XTestInput(const XTestInput &) = delete;
    XTestInput &operator=(const XTestInput &) = delete;

    bool open(const QByteArray &displayName = QByteArray());

    void key(uint8_t keycode, bool press);
    void button(uint8_t button, bool press);
    void moveTo(int x, int y);
    // Waits until the server has handled everything sent so far.
    void sync();

private:
    void fake(uint8_t type, uint8_t detail, int x = 0, int y = 0);

    xcb_connection_t *m_connection = nullptr;
    uint32_t m_root = 0;
};
