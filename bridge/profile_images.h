#pragma once

#include "device_context.h"

#include <QVariant>

#include <initializer_list>

// The 560 family's five device profiles as the program keeps them: one 128-byte image per
// profile, zero-filled until the first successful read, always sent whole as the profile
// with the same number. This unit owns the images and points the shared context at them;
// the DPI, lighting, key and gun units write their bytes through the helpers below.
class ProfileImages
{
public:
    explicit ProfileImages(DeviceContext &context);
    ProfileImages(const ProfileImages &) = delete;
    ProfileImages &operator=(const ProfileImages &) = delete;

    const ProfileImageSet &images() const { return m_images; }

    // Sends image profileNo as device profile profileNo.
    void mouseSetProfile(uint profileNo);
    // Reads device profile profileNo into its image; a failed read leaves the image as it was.
    void mouseReadProfile(uint profileNo);
    // The device's current profile number; 0 when the device does not answer.
    QVariant mouseReadCurrentProfile();

private:
    bool accepts(const char *caller, uint profileNo) const;

    DeviceContext &m_context;
    ProfileImageSet m_images {};
};

// Helpers of the units that keep their settings in the images (the caller has checked that
// the context is ready).
namespace ProfileImageWriter {

// Images 1 … 4 carry the settings of the profile in use; a gun model keeps a copy per gun slot.
constexpr int kSettingImages[] = {1, 2, 3, 4};

// Writes count bytes at offset of one image; nothing lands outside the image.
void put(ProfileImage &image, int offset, const uchar *bytes, int count);
void put(ProfileImage &image, int offset, std::initializer_list<uchar> bytes);
// The same bytes into each of images 1 … 4.
void putSetting(ProfileImageSet &images, int offset, std::initializer_list<uchar> bytes);
void putSetting(ProfileImageSet &images, int offset, const uchar *bytes, int count);

// Sends one image as the device profile of the same number.
void send(const DeviceContext &context, int image);
// Sends image 1, and on a gun model images 2, 3 and 4 after it.
void sendSetting(const DeviceContext &context);

}  // namespace ProfileImageWriter
