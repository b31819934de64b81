#include "pointer_settings.h"

#include "desktop_log.h"

#include <QDebug>

#include <array>

Q_LOGGING_CATEGORY(lcDesktop, "stryla.desktop", QtWarningMsg)

namespace PointerSettings {

namespace {

// Slider positions (pixels) at which the next step begins.
constexpr std::array<int, kMaxStep + 1> kStepThresholds {
    4, 37, 70, 104, 138, 172, 205, 239, 272, 305, 338};
constexpr int kMaxLinesPerNotch = 100;

}  // namespace

uint sliderStep(int position)
{
    for (uint step = 0; step < kStepThresholds.size(); ++step) {
        if (position < kStepThresholds[step])
            return step;
    }
    return kMaxStep;
}

uint scrollLinesForRate(int rate)
{
    if (rate > kMaxLinesPerNotch)
        return kOneScreen;
    return rate < 1 ? 1 : uint(rate);
}

}  // namespace PointerSettings
