#pragma once

// A simulated mouse of either family behind a Hid_Thread, the shared context of the
// device-settings units with its profile images, and a profile file in a temporary folder.

#include "device_context.h"
#include "device_rig.h"
#include "profile_images.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <initializer_list>
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

// A command report as hex, with its checksum worked out here rather than by the program.
inline QString command(uchar code, std::initializer_list<uchar> params = {})
{
    QByteArray report(9, '\0');
    report[1] = char(code);
    int i = 2;
    for (uchar p : params)
        report[i++] = char(p);
    uint sum = 0;
    for (int b = 1; b < 8; ++b)
        sum += uchar(report[b]);
    report[8] = char(~sum & 0xFF);
    return QString::fromLatin1(report.toHex(' ').toUpper());
}

// A command report followed by the interrupt reports (32 data bytes each) carrying data.
inline QStringList write(
    uchar code, std::initializer_list<uchar> params, const QByteArray &data = {})
{
    QStringList out {command(code, params)};
    for (int offset = 0; offset < data.size(); offset += 32) {
        QByteArray report(33, '\0');
        const QByteArray chunk = data.mid(offset, 32);
        report.replace(1, chunk.size(), chunk);
        out.append(QString::fromLatin1(report.toHex(' ').toUpper()));
    }
    return out;
}

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
