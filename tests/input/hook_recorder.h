#pragma once

#include "input_hook.h"

#include <QList>
#include <QtTest>

// Collects what the hook callbacks receive, in order.
struct Reported
{
    int code = 0;
    int pressed = 0;
    int x = 0;
    int y = 0;

    bool operator==(const Reported &o) const
    {
        return code == o.code && pressed == o.pressed && x == o.x && y == o.y;
    }
};

inline char *toString(const Reported &r)
{
    return QTest::toString(QStringLiteral("{%1, %2, %3, %4}")
                               .arg(r.code, 2, 16, QLatin1Char('0'))
                               .arg(r.pressed)
                               .arg(r.x)
                               .arg(r.y));
}

struct HookRecorder
{
    QList<Reported> keys;
    QList<Reported> buttons;

    void attach(InputHook &hook)
    {
        hook.setKeyboardCallback(&HookRecorder::onKey, this);
        hook.setMouseCallback(&HookRecorder::onButton, this);
    }
    void clear()
    {
        keys.clear();
        buttons.clear();
    }

    static void onKey(int code, int pressed, void *context)
    {
        static_cast<HookRecorder *>(context)->keys.append({code, pressed, 0, 0});
    }
    static void onButton(int code, int pressed, int x, int y, void *context)
    {
        static_cast<HookRecorder *>(context)->buttons.append({code, pressed, x, y});
    }
};

inline Reported key(int code, int pressed)
{
    return {code, pressed, 0, 0};
}
