#include "profile_images.h"

#include "hid_thread.h"

#include <algorithm>

ProfileImages::ProfileImages(DeviceContext &context)
    : m_context(context)
{
    m_context.images = &m_images;
}

bool ProfileImages::accepts(const char *caller, uint profileNo) const
{
    if (!isProfileNumber(profileNo)) {
        qDebug().noquote() << QStringLiteral("%1: no device profile %2 (0 to 4)")
                                  .arg(QLatin1String(caller))
                                  .arg(profileNo);
        return false;
    }
    return m_context.ready(caller);
}

void ProfileImages::mouseSetProfile(uint profileNo)
{
    if (accepts("mouseSetProfile", profileNo))
        ProfileImageWriter::send(m_context, int(profileNo));
}

void ProfileImages::mouseReadProfile(uint profileNo)
{
    if (accepts("mouseReadProfile", profileNo))
        m_context.hid->hid560_8CH_readProfile(m_images[profileNo].data(), uchar(profileNo));
}

QVariant ProfileImages::mouseReadCurrentProfile()
{
    uchar profile = 0;  // stays 0 when nothing comes back
    if (m_context.ready("mouseReadCurrentProfile"))
        m_context.hid->hid560_82H_GetCurrentProfile(profile);
    return int(profile);
}

namespace ProfileImageWriter {

void put(ProfileImage &image, int offset, const uchar *bytes, int count)
{
    const int room = kProfileImageSize - offset;
    if (offset < 0 || count <= 0 || room <= 0)
        return;
    std::copy_n(bytes, std::min(count, room), image.begin() + offset);
}

void put(ProfileImage &image, int offset, std::initializer_list<uchar> bytes)
{
    put(image, offset, bytes.begin(), int(bytes.size()));
}

void putSetting(ProfileImageSet &images, int offset, const uchar *bytes, int count)
{
    for (int n : kSettingImages)
        put(images[size_t(n)], offset, bytes, count);
}

void putSetting(ProfileImageSet &images, int offset, std::initializer_list<uchar> bytes)
{
    putSetting(images, offset, bytes.begin(), int(bytes.size()));
}

void send(const DeviceContext &context, int image)
{
    if (!isProfileNumber(uint(image)))
        return;
    context.hid->hid560_0CH_setProfile((*context.images)[size_t(image)].data(), uchar(image));
}

void sendSetting(const DeviceContext &context)
{
    for (int n : kSettingImages) {
        if (n > 1 && !context.facts.isGun)
            break;
        send(context, n);
    }
}

}  // namespace ProfileImageWriter
