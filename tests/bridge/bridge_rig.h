#pragma once

// A simulated mouse of either family behind a Hid_Thread, the shared context of the
// device-settings units with its profile images, and a profile file in a temporary folder.

#include "device_context.h"
#include "device_rig.h"
#include "profile_images.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace rig {

inline DeviceFacts facts(
    const char *icType, bool isGun = false, bool isColorful = false, bool is55328 = false)
{
    DeviceFacts f;
    f.icType = QString::fromLatin1(icType);
    f.isGun = isGun;
    f.isColorful = isColorful;
    f.is55328 = is55328;
    return f;
}

using simtest::command;
using simtest::write;

// A profile image, of the program or of the simulated firmware.
inline QByteArray bytes(const ProfileImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.data()), int(image.size()));
}

inline QByteArray bytes(const sim::Bytes &b)
{
    return simtest::bytes(b);
}

using simtest::pattern;

class Rig : public simtest::DeviceRig
{
public:
    // Plugs the reference mouse of the family the facts name, with an empty wire log, and
    // gives the units the link, the facts and a fresh profile file.
    void attach(const DeviceFacts &deviceFacts)
    {
        DeviceRig::attach(
            deviceFacts.icType == QLatin1String("560") ? sim::Family::F560 : sim::Family::F553,
            deviceFacts.isGun);
        context.hid = hid.get();
        context.facts = deviceFacts;
        QVERIFY(dir.isValid());
        profile = std::make_unique<QSettings>(
            dir.filePath(QStringLiteral("p1.bin")), QSettings::IniFormat);
    }

    QStringList sent() const { return simtest::sentReports(); }

    QTemporaryDir dir;
    std::unique_ptr<QSettings> profile;
    DeviceContext context;
    ProfileImages images {context};
};

}  // namespace rig
