#include "dpi_settings.h"

#include "hid_thread.h"
#include "profile_images.h"

#include <QDebug>

namespace DpiEncoding {

namespace {

StageCode encode4090(int dpi)
{
    return {uchar(dpi < 5001 ? dpi / 100 - 1 : (dpi / 200) | 0x40), false};
}

StageCode encode3360(int dpi)
{
    return {uchar(dpi / 100 - 1), false};
}

struct Threshold
{
    int upTo;
    uchar code;
};

// Sensor "3050": the code of the first step not below the value; above 4000 the code is 0.
constexpr Threshold k3050Steps[] = {
    {250, 1},
    {500, 2},
    {750, 3},
    {1000, 4},
    {1250, 5},
    {1500, 6},
    {1750, 7},
    {2000, 8},
    {2500, 0x45},
    {3000, 0x46},
    {3500, 0x47},
    {4000, 0x48},
};

StageCode encode3050(int dpi)
{
    for (const Threshold &step : k3050Steps) {
        if (dpi <= step.upTo)
            return {step.code, false};
    }
    return {0, false};
}

StageCode encode3389(int dpi)
{
    return {uchar(dpi / 50), dpi > 12799};
}

StageCode encode3327(int dpi)
{
    return {uchar((dpi / 100) * 2), false};
}

// A sensor's encoding and the values it covers: below lowest and above highest a code would
// wrap around its byte, repeat the code of another value or leave the sensor's table.
struct SensorRule
{
    const char *name;
    StageCode (*encode)(int dpi);
    int lowest;
    int highest;
};

// Compared in this order; the first row also serves every name not listed.
// "4090": from 17800 on the code in 200s with bit 6 set repeats the codes of 5001 … 12799.
// "3389": the code in 50s has nine bits.
constexpr SensorRule kSensorRules[] = {
    {"4090", encode4090, 100, 17799},
    {"3360", encode3360, 100, 25699},
    {"3050", encode3050, 1, 4000},
    {"3389", encode3389, 50, 25599},
    {"3327", encode3327, 100, 12799},
};

const SensorRule &ruleOf(const QString &sensor)
{
    for (const SensorRule &rule : kSensorRules) {
        if (sensor == QLatin1String(rule.name))
            return rule;
    }
    return kSensorRules[0];
}

}  // namespace

StageCode encode(const QString &sensor, int dpi)
{
    return ruleOf(sensor).encode(dpi);
}

// Whatever the stage values are, every code sent is one of the sensor's table: a value that
// is not a number goes out as the sensor's lowest, one beyond its range as the nearest end.
StageTable encodeStages(const QString &sensor, const QVariantList &dpiValues)
{
    const SensorRule &rule = ruleOf(sensor);
    StageTable table;
    const int stages = std::min(int(dpiValues.size()), kMaxStages);
    for (int i = 0; i < stages; ++i) {
        bool malformed = false;
        int dpi = sceneInt(dpiValues, i, &malformed);
        if (malformed) {
            qDebug().noquote()
                << QStringLiteral("mouseSetDpi: DPI value of stage %1 is not a number; %2 is sent")
                       .arg(i + 1)
                       .arg(rule.lowest);
            dpi = rule.lowest;
        } else if (dpi < rule.lowest || dpi > rule.highest) {
            const int sent = qBound(rule.lowest, dpi, rule.highest);
            qDebug().noquote() << QStringLiteral(
                "mouseSetDpi: DPI value %1 of stage %2 is outside %3 … %4 of sensor %5; %6 is sent")
                                      .arg(dpi)
                                      .arg(i + 1)
                                      .arg(rule.lowest)
                                      .arg(rule.highest)
                                      .arg(sensor)
                                      .arg(sent);
            dpi = sent;
        }
        const StageCode stage = rule.encode(dpi);
        table.codes[size_t(i)] = stage.code;
        if (stage.highBit)
            table.highBits |= uchar(1u << i);
    }
    return table;
}

int enabledStages(int dpiCount)
{
    const int count = qBound(1, dpiCount, kMaxStages);
    if (count != dpiCount)
        qDebug().noquote()
            << QStringLiteral("mouseSetDpi: stage count %1 taken as %2").arg(dpiCount).arg(count);
    return count;
}

uchar stageMask(int count)
{
    return uchar((1u << qBound(0, count, kMaxStages)) - 1u);
}

std::array<uchar, kMaxStages> withDisabledStages(const StageTable &table, int count)
{
    std::array<uchar, kMaxStages> codes = table.codes;
    for (int i = qMax(count, 0); i < kMaxStages; ++i)
        codes[size_t(i)] = kDisabledStage;
    return codes;
}

}  // namespace DpiEncoding

using namespace DpiEncoding;

DpiSettings::DpiSettings(const DeviceContext &context)
    : m_context(context)
{ }

void DpiSettings::mouseSetDpi(
    int dpiCount, const QString &sensorType, const QVariantList &dpiValueArray)
{
    if (!m_context.ready("mouseSetDpi"))
        return;
    if (dpiValueArray.size() != kMaxStages)
        qDebug().noquote() << QStringLiteral("mouseSetDpi: expected %1 DPI values, got %2")
                                  .arg(kMaxStages)
                                  .arg(dpiValueArray.size());
    const int count = enabledStages(dpiCount);
    const StageTable table = encodeStages(sensorType, dpiValueArray);
    if (m_context.is560())
        sendStages560(table, count, sensorType == QLatin1String("3389"));
    else
        sendStages553(table, count);
}

void DpiSettings::sendStages553(const StageTable &table, int count)
{
    std::array<uchar, kMaxStages> codes = withDisabledStages(table, count);
    m_context.hid->hid553_11H_SetDPISet(uchar(count), codes.data());
}

void DpiSettings::sendStages560(const StageTable &table, int count, bool highBits)
{
    using namespace ProfileImageWriter;
    ProfileImageSet &images = *m_context.images;
    if (highBits)
        putSetting(images, ProfileOffset::DpiHighBitMask, {table.highBits, table.highBits});
    putSetting(images, ProfileOffset::DpiCodes, table.codes.data(), kMaxStages);
    putSetting(images, ProfileOffset::DpiCodesCopy, table.codes.data(), kMaxStages);
    putSetting(images, ProfileOffset::DpiStageMask, {stageMask(count)});
    sendSetting(m_context);
}

void DpiSettings::mouseSetCurrentDPI(uchar currentDPI)
{
    if (!m_context.ready("mouseSetCurrentDPI"))
        return;
    if (m_context.is560())
        m_context.hid->hid560_04H_SetCurrentDPI(currentDPI);
    else
        m_context.hid->hid553_0BH_SetCurrentDPI(currentDPI);
}

QVariant DpiSettings::mouseGetCurrentDPI()
{
    uchar stage = 0;  // stays 0 when nothing comes back
    if (!m_context.ready("mouseGetCurrentDPI"))
        return int(stage);
    if (m_context.is560()) {
        uchar profile = 1;  // ask about the profile in use
        m_context.hid->hid560_84H_GetCurrentDPI(profile, stage);
    } else {
        m_context.hid->hid553_8BH_GetCurrentDPI(stage);
    }
    return int(stage);
}

void DpiSettings::mouseSetReportRate(uchar rate)
{
    qDebug().noquote() << "test" << int(rate);
    if (m_context.ready("mouseSetReportRate"))
        m_context.hid->hid553_07H_Lod(rate);
}

void DpiSettings::mouseSetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4)
{
    if (m_context.ready("mouseSetKeyboardoption"))
        m_context.hid->hid553_03H_SetKeyboardoption(byte1, byte2, byte3, byte4);
}

QVariantList DpiSettings::GetKeyboardoption()
{
    uchar options[4] {};  // zeros when the read brings nothing back
    if (m_context.ready("GetKeyboardoption"))
        m_context.hid->hid553_83H_GetKeyboardoption(options[0], options[1], options[2], options[3]);
    return {int(options[0]), int(options[1]), int(options[2]), int(options[3])};
}
