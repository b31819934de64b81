#include "test_clock.h"

#include <QByteArray>
#include <QtGlobal>

namespace TestClock {

int pause(int ms)
{
    bool ok = false;
    const int percent = qEnvironmentVariableIntValue("STRYLA_TEST_PAUSE_PERCENT", &ok);
    if (!ok || percent < 1 || percent >= 100 || ms <= 0)
        return ms;
    return qMax(1, int(qint64(ms) * percent / 100));
}

int period(const char *name, int ms)
{
    bool ok = false;
    const QByteArray variable = QByteArray("STRYLA_TEST_") + name + "_MS";
    const int value = qEnvironmentVariableIntValue(variable.constData(), &ok);
    return ok && value >= 0 ? value : ms;
}

}  // namespace TestClock
