#include "gun_sender.h"

#include "hid_thread.h"
#include "settings_store.h"

#include <QDebug>

namespace GunSender {

namespace {

// Positions in the value list the gun page passes.
constexpr int kShots = 0;
constexpr int kHorizontal = 1;
constexpr int kVertical = 2;

struct GunValues
{
    uchar shots = 0;
    uchar horizontal = 0;
    uint vertical = 0;  // kept whole: the 553 family may negate it before cutting
};

uint valueAt(const QVariantList &values, int position)
{
    if (position >= values.size())
        return 0;
    bool ok = false;
    const uint value = uint(values.at(position).toLongLong(&ok));
    if (!ok) {
        qDebug().noquote() << QStringLiteral(
            "mouseSendGundata: value %1 \"%2\" is not a number; sent as 0")
                                  .arg(position)
                                  .arg(values.at(position).toString());
    }
    return ok ? value : 0;
}

GunValues gunValues(const QVariantList &values)
{
    return {uchar(valueAt(values, kShots)), uchar(valueAt(values, kHorizontal)),
        valueAt(values, kVertical)};
}

bool isGunSlot(int index)
{
    if (index >= kFirstGunSlot && index <= kLastGunSlot)
        return true;
    qDebug().noquote() << QStringLiteral("mouseSendGundata: gun slot %1 is not one of %2 … %3; "
                                         "nothing sent")
                              .arg(index)
                              .arg(kFirstGunSlot)
                              .arg(kLastGunSlot);
    return false;
}

// 560: the gun slot's profile image carries the values; the whole image goes out.
void send560(Hid_Thread *hid, ProfileImageSet &images, int index, const GunValues &gun)
{
    const int profile = index + 1;
    ProfileImage &image = images[size_t(profile)];
    image[ProfileOffset::GunMarker] = ProfileOffset::GunMarkerValue;
    image[ProfileOffset::GunShots] = gun.shots;
    image[ProfileOffset::GunX] = gun.horizontal;
    image[ProfileOffset::GunY] = uchar(gun.vertical);
    image[ProfileOffset::GunFlags] &= uchar(~ProfileOffset::GunFlagsClearMask);
    hid->hid560_0CH_setProfile(image.data(), uchar(profile));
}

// 553: the third keyboard option byte tells whether the device counts vertical movement the
// other way round. The read leaves its outputs as they were when the device does not answer;
// they start at 0, so the value then goes out unchanged.
void send553(Hid_Thread *hid, int index, const GunValues &gun)
{
    uchar option1 = 0, option2 = 0, option3 = 0, option4 = 0;
    hid->hid553_83H_GetKeyboardoption(option1, option2, option3, option4);
    const uint vertical = option3 != 0 ? 0u - gun.vertical : gun.vertical;
    hid->hid553_04H_SetGunData(gun.shots, gun.horizontal, uchar(vertical), uchar(index - 1));
}

}  // namespace

void mouseSendGundata(Hid_Thread *hid, const DeviceFacts &facts, ProfileImageSet &images, int index,
    const QVariantList &values)
{
    if (!facts.isGun || !isGunSlot(index))
        return;
    if (!hid) {
        qDebug().noquote() << QStringLiteral("mouseSendGundata: no device link");
        return;
    }
    const GunValues gun = gunValues(values);
    if (facts.icType == QLatin1String("560"))
        send560(hid, images, index, gun);
    else
        send553(hid, index, gun);
}

}  // namespace GunSender
