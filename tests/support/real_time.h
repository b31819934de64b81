#pragma once

// Real time for one test function of a test that otherwise runs on the tests' clock: while a
// RealTime lives, the protocol's pauses and the start picture have their real lengths.

#include <QByteArray>
#include <QtGlobal>

class RealTime
{
public:
    RealTime()
    {
        for (Knob &knob : m_knobs) {
            knob.value = qgetenv(knob.name);
            qunsetenv(knob.name);
        }
    }
    ~RealTime()
    {
        for (const Knob &knob : m_knobs)
            if (!knob.value.isNull())
                qputenv(knob.name, knob.value);
    }
    RealTime(const RealTime &) = delete;
    RealTime &operator=(const RealTime &) = delete;

private:
    struct Knob
    {
        const char *name;
        QByteArray value;
    };
    Knob m_knobs[2] = {{"STRYLA_TEST_PAUSE_PERCENT", {}}, {"STRYLA_TEST_START_MS", {}}};
};
