#pragma once

#include "device_context.h"

#include <QString>
#include <QVariant>

#include <array>

// DPI stages with their sensor-specific codes, the stage in use, the lift-off distance and
// the four keyboard option bytes. The 553 family takes the stage table in one command; the
// 560 family keeps it in profile images 1 … 4.
namespace DpiEncoding {

constexpr int kMaxStages = 8;
constexpr uchar kDisabledStage = 0x80;  // 553: code of a stage at or beyond the count

struct StageCode
{
    uchar code = 0;
    bool highBit = false;  // sensor "3389": the code needs a ninth bit
};

struct StageTable
{
    std::array<uchar, kMaxStages> codes {};
    uchar highBits = 0;  // bit i: stage i needs a ninth bit ("3389" only)
};

// The code of one DPI value for a sensor; names not known encode like "4090".
StageCode encode(const QString &sensor, int dpi);

// Codes of the first eight values in order; a stage without a (numeric) value keeps code 0.
StageTable encodeStages(const QString &sensor, const QVariantList &dpiValues);

// The stage count the device is given: at most 8, at least 1.
int enabledStages(int dpiCount);

// Bits 0 … count − 1 set.
uchar stageMask(int count);

// 553: the codes with every stage at or beyond count marked disabled.
std::array<uchar, kMaxStages> withDisabledStages(const StageTable &table, int count);

}  // namespace DpiEncoding

class DpiSettings
{
public:
    explicit DpiSettings(const DeviceContext &context);

    void mouseSetDpi(int dpiCount, const QString &sensorType, const QVariantList &dpiValueArray);
    // Stage numbers count from 1.
    void mouseSetCurrentDPI(uchar currentDPI);
    // 0 when the device does not answer.
    QVariant mouseGetCurrentDPI();
    // The lift-off distance (90 … 125); the name is the scene's.
    void mouseSetReportRate(uchar rate);
    void mouseSetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4);
    // Four integers, byte1 … byte4; zeros when the device does not answer.
    QVariantList GetKeyboardoption();

private:
    void sendStages553(const DpiEncoding::StageTable &table, int count);
    void sendStages560(const DpiEncoding::StageTable &table, int count, bool highBits);

    const DeviceContext &m_context;
};
