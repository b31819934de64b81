#pragma once

#include <QtGlobal>

#include <array>

// A 560-family device keeps its settings in five 128-byte profiles (0 … 4), always written
// whole. Profile 0 carries the colour table of multi-colour models and the gun count mask,
// profile 1 is the profile in use, profiles 2 … 4 belong to gun slots 1 … 3. The offsets
// below are the bytes the program writes; every other byte belongs to the firmware and is
// carried through unchanged.
constexpr int kProfileImageSize = 128;
constexpr int kProfileCount = 5;

using ProfileImage = std::array<uchar, kProfileImageSize>;
using ProfileImageSet = std::array<ProfileImage, kProfileCount>;

namespace ProfileOffset {
constexpr int GunCountMask = 2;   // image 0: 0x07, 0x0F or 0x1F
constexpr int MultiColours = 24;  // image 0: 24 bytes, eight colours R G B
constexpr int GunFlags = 65;      // images 2 … 4: bit 2 cleared when gun data is written
constexpr uchar GunFlagsClearMask = 0x04;
constexpr int LightMode = 71;  // images 1 … 4: lighting triple
constexpr int LightValueA = 72;
constexpr int LightValueB = 73;
constexpr int GunMarker = 78;  // images 2 … 4: 0xF0, shots, horizontal, vertical
constexpr int GunShots = 79;
constexpr int GunX = 80;
constexpr int GunY = 81;
constexpr uchar GunMarkerValue = 0xF0;
constexpr int DpiHighBitMask = 82;  // images 1 … 4: two bytes, sensor "3389" only
constexpr int DpiCodes = 84;        // images 1 … 4: eight stage codes …
constexpr int DpiCodesCopy = 92;    // … and the same eight again
constexpr int DpiStageMask = 100;   // images 1 … 4: bit i set for each enabled stage
constexpr int SingleColours = 104;  // image 1: 24 bytes, single-colour models
}  // namespace ProfileOffset

inline bool isProfileNumber(uint n)
{
    return n < uint(kProfileCount);
}
