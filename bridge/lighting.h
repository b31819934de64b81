#pragma once

#include "device_context.h"

#include <QVariant>

#include <array>

// Lighting: the page's effect index and slider positions mapped to the device's lighting
// triple (mode, value A, value B), and the colour table of eight colours.
namespace LightingMap {

using Triple = std::array<uchar, 3>;

constexpr int kColourBytes = 24;  // eight colours R G B
using ColourTable = std::array<uchar, kColourBytes>;

// Brightness byte of a slider position 1 … 4; 0 for position 0 and anything else.
uchar brightness(uchar position);

// Devices with the full multi-colour effect set.
Triple colourful(uchar effect, uchar speed, uchar brightnessPosition);
// Single-colour devices; byte 3 is what the 553 family sends on an is55328 device.
Triple singleColour(uchar effect, uchar speed, uchar brightnessPosition);

// The first 24 values as bytes (low byte of each); missing or non-numeric values give 0.
ColourTable colourTable(const QVariantList &src24);

}  // namespace LightingMap

class Lighting
{
public:
    explicit Lighting(const DeviceContext &context);

    void mouseSetRGBEffect(uchar effect, uchar option1, uchar option2);
    void mouseSetRGBColor(uchar type, const QVariantList &src24);

private:
    void sendEffect560(const LightingMap::Triple &triple, bool singleColour);
    void sendColours553(uchar type, LightingMap::ColourTable &table);
    void sendColours560(const LightingMap::ColourTable &table);

    const DeviceContext &m_context;
};
