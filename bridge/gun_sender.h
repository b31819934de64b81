#pragma once

#include "profile_image.h"

#include <QVariantList>

class Hid_Thread;
struct DeviceFacts;

// Sends one gun slot's recoil compensation to the device: shot count, horizontal and vertical
// correction. A 553 device takes them with its set-gun-data command; a 560 device keeps them
// in the profile image of the gun slot (gun slot s is device profile s + 1), which is sent
// whole.
namespace GunSender {

constexpr int kFirstGunSlot = 1;
constexpr int kLastGunSlot = 3;

// values: shot count, horizontal, vertical; a missing value or one that is not a number
// counts as 0 (the latter with a diagnostic line), each is cut to its low byte. Nothing is
// sent when facts.isGun is false, and a gun slot outside 1 … 3 is refused with a diagnostic
// line. On the 553 family the vertical value is negated when the device's third keyboard
// option byte is not 0; when the device does not answer the option read, the value is sent
// as it is.
void mouseSendGundata(Hid_Thread *hid, const DeviceFacts &facts, ProfileImageSet &images, int index,
    const QVariantList &values);

}  // namespace GunSender
