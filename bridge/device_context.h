#pragma once

#include "profile_image.h"
#include "settings_store.h"

#include <QDebug>
#include <QVariantList>

#include <climits>
#include <cmath>

class Hid_Thread;

// What the device-settings units share: the device link, the device facts cached from the
// global configuration, and the five profile images of the 560 family. The view owns the
// context; the units keep a reference to it, so a link set after they were built is seen.
struct DeviceContext
{
    Hid_Thread *hid = nullptr;
    DeviceFacts facts;
    ProfileImageSet *images = nullptr;

    // Exactly "560" selects the 560 command family; every other value the 553 family.
    bool is560() const { return facts.icType == QLatin1String("560"); }

    // False, with a diagnostic line naming the caller, while the link or the images are
    // missing; the caller then sends nothing.
    bool ready(const char *caller) const
    {
        if (hid && images)
            return true;
        qDebug().noquote() << QStringLiteral("%1: no device link").arg(QLatin1String(caller));
        return false;
    }
};

// Values the scene passes as variants. A value that is missing (beyond the list's end) or
// is not a number counts as 0; *malformed is set when a value present is not a number. A
// script number beyond the range of int (1e300) or not finite is not one either: converted,
// it would come out as an arbitrary int.
inline int sceneInt(const QVariantList &values, int index, bool *malformed = nullptr)
{
    if (index < 0 || index >= values.size())
        return 0;
    const QVariant &value = values.at(index);
    bool ok = false;
    int number = 0;
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const double d = value.toDouble();
        ok = std::isfinite(d) && d > double(INT_MIN) - 1 && d < double(INT_MAX) + 1;
        number = ok ? int(d) : 0;
    } else {
        number = value.toInt(&ok);
    }
    if (!ok && malformed)
        *malformed = true;
    return ok ? number : 0;
}

// The same, kept to its low byte, as the device takes it.
inline uchar sceneByte(const QVariantList &values, int index, bool *malformed = nullptr)
{
    return uchar(sceneInt(values, index, malformed));
}
