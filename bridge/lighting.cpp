#include "lighting.h"

#include "hid_thread.h"
#include "profile_images.h"

#include <QDebug>

#include <algorithm>

namespace LightingMap {

namespace {

constexpr int kPositions = 5;  // slider positions 0 … 4
using PositionTable = std::array<uchar, kPositions>;

constexpr PositionTable kBrightness {0, 64, 128, 192, 255};
constexpr PositionTable kNoSpeed {};
constexpr PositionTable kSpeedWave {10, 7, 5, 3, 1};
constexpr PositionTable kSpeedFlip {20, 17, 15, 13, 11};
constexpr PositionTable kSpeedYoYo {15, 13, 10, 7, 5};
constexpr PositionTable kSpeedSpotlight {30, 27, 24, 22, 20};

uchar at(const PositionTable &table, uchar position)
{
    return position < kPositions ? table[position] : 0;
}

// Multi-colour devices, by effect index of the page.
struct ColourfulEffect
{
    uchar mode;
    bool bright;                  // value A is the brightness byte (else 0)
    const PositionTable *speeds;  // value B by speed position
};

constexpr ColourfulEffect kColourfulEffects[] = {
    {1, true, &kNoSpeed},          // Static
    {3, false, &kSpeedWave},       // Breath
    {4, false, &kSpeedWave},       // Neon
    {0, false, &kNoSpeed},         // OFF
    {2, true, &kNoSpeed},          // Twinkling
    {5, true, &kSpeedWave},        // Wave
    {6, false, &kNoSpeed},         // Gliding
    {7, true, &kNoSpeed},          // Finger Moving
    {8, true, &kSpeedFlip},        // Vertical Flipping
    {9, true, &kSpeedYoYo},        // YO-YO
    {10, true, &kSpeedSpotlight},  // Spotlight
};

// Single-colour devices: where byte 2 comes from.
enum class Level { BrightnessSteps, SpeedPlusOne, NeonSteps };

constexpr PositionTable kStaticSteps {1, 3, 5, 7, 10};
constexpr PositionTable kNeonSteps {30, 24, 18, 12, 6};

struct SingleColourEffect
{
    uchar effect;
    uchar mode;
    Level level;
    uchar byte3;
};

constexpr SingleColourEffect kSingleColourEffects[] = {
    {0, 1, Level::BrightnessSteps, 1},  // Static
    {1, 2, Level::SpeedPlusOne, 1},     // Breath
    {2, 3, Level::NeonSteps, 1},        // Neon
    {4, 2, Level::SpeedPlusOne, 3},     // Breath Loop (is55328 devices)
};

uchar level(Level kind, uchar speed, uchar brightnessPosition)
{
    switch (kind) {
    case Level::BrightnessSteps:
        return at(kStaticSteps, brightnessPosition);
    case Level::SpeedPlusOne:
        return uchar(speed + 1);
    case Level::NeonSteps:
        return at(kNeonSteps, speed);
    }
    return 0;
}

}  // namespace

uchar brightness(uchar position)
{
    return at(kBrightness, position);
}

Triple colourful(uchar effect, uchar speed, uchar brightnessPosition)
{
    if (effect >= std::size(kColourfulEffects))
        return {0, 0, 0};
    const ColourfulEffect &row = kColourfulEffects[effect];
    return {
        row.mode, row.bright ? brightness(brightnessPosition) : uchar(0), at(*row.speeds, speed)};
}

Triple singleColour(uchar effect, uchar speed, uchar brightnessPosition)
{
    for (const SingleColourEffect &row : kSingleColourEffects) {
        if (row.effect == effect)
            return {row.mode, level(row.level, speed, brightnessPosition), row.byte3};
    }
    return {0, 0, 0};
}

ColourTable colourTable(const QVariantList &src24)
{
    if (src24.size() != kColourBytes)
        qDebug().noquote() << QStringLiteral("mouseSetRGBColor: expected %1 colour values, got %2")
                                  .arg(kColourBytes)
                                  .arg(src24.size());
    bool malformed = false;
    ColourTable table {};
    for (int i = 0; i < kColourBytes; ++i)
        table[size_t(i)] = sceneByte(src24, i, &malformed);
    if (malformed)
        qDebug().noquote() << "mouseSetRGBColor: colour values that are not numbers count as 0";
    return table;
}

}  // namespace LightingMap

using namespace LightingMap;

namespace {

constexpr uchar k553PlainByte3 = 2;      // 553 single-colour devices without is55328
constexpr uchar k560Byte3 = 2;           // 560 single-colour devices, images 1 … 4 …
constexpr uchar k560SoloByte3 = 3;       // … and image 1 alone on a model without guns
constexpr int kColour8 = 21;             // bytes 21 … 23: colour 8
constexpr uchar k55328EightColours = 0;  // 0x10 type used when colour 8 is set

}  // namespace

Lighting::Lighting(const DeviceContext &context)
    : m_context(context)
{ }

void Lighting::mouseSetRGBEffect(uchar effect, uchar option1, uchar option2)
{
    if (!m_context.ready("mouseSetRGBEffect"))
        return;
    const bool colourfulModel = m_context.facts.isColorful;
    Triple triple = colourfulModel ? colourful(effect, option1, option2)
                                   : singleColour(effect, option1, option2);
    if (m_context.is560()) {
        sendEffect560(triple, !colourfulModel);
        return;
    }
    if (!colourfulModel && !m_context.facts.is55328)
        triple[2] = k553PlainByte3;
    m_context.hid->hid553_0DH_SetRGBLedEffect(triple[0], triple[1], triple[2]);
}

void Lighting::sendEffect560(const Triple &triple, bool singleColour)
{
    using namespace ProfileImageWriter;
    ProfileImageSet &images = *m_context.images;
    const uchar valueB = singleColour ? k560Byte3 : triple[2];
    putSetting(images, ProfileOffset::LightMode, {triple[0], triple[1], valueB});
    if (singleColour && !m_context.facts.isGun) {
        put(images[1], ProfileOffset::LightValueB, {k560SoloByte3});
        send(m_context, 1);
        return;
    }
    sendSetting(m_context);
}

void Lighting::mouseSetRGBColor(uchar type, const QVariantList &src24)
{
    if (!m_context.ready("mouseSetRGBColor"))
        return;
    ColourTable table = colourTable(src24);
    if (m_context.is560())
        sendColours560(table);
    else
        sendColours553(type, table);
}

void Lighting::sendColours560(const ColourTable &table)
{
    using namespace ProfileImageWriter;
    const bool colourfulModel = m_context.facts.isColorful;
    const int image = colourfulModel ? 0 : 1;
    const int offset = colourfulModel ? ProfileOffset::MultiColours : ProfileOffset::SingleColours;
    put((*m_context.images)[size_t(image)], offset, table.data(), kColourBytes);
    send(m_context, image);
}

void Lighting::sendColours553(uchar type, ColourTable &table)
{
    Hid_Thread *hid = m_context.hid;
    if (!m_context.facts.is55328) {
        hid->hid553_10H_SetLED8StageColor(type, table.data());
        hid->hid553_10H_SetLED8StageColor(type, table.data());
        return;
    }
    const bool colour8 =
        std::any_of(table.begin() + kColour8, table.end(), [](uchar byte) { return byte != 0; });
    if (colour8)
        hid->hid553_10H_SetLED8StageColor(k55328EightColours, table.data());
    else
        hid->hid553_0CH_SetFixLEDColor(table.data());  // the first colour alone
}
