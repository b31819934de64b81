#pragma once

// The reports of a Save: the bridge calls the scene's Save makes, the exchanges they put on the
// wire, and the pauses the device needs between those reports.

#include "sim_support.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

namespace simtest {

// The values of one Save, as the scene hands them to the bridge.
struct SaveValues
{
    QVariantList keys;        // 64 values: 16 entries of kind, value1, value2, value3
    QVariantList gunPeriods;  // repeat period of each of the three gun slots
    int dpiCount = 4;
    QString sensor = QStringLiteral("3360");
    QVariantList dpiValues;
    int effect = 0, speed = 0, brightness = 4;
    int colourType = 0;
    QVariantList colours;  // 24 values: eight colours R G B
    int liftOff = 107;     // the value the lift-off row sends for its position 46
};

// The factory profile's buttons with button 4 made a gun button that cycles through three guns,
// so the three gun matrices go out too.
inline SaveValues gunButtonSave()
{
    SaveValues v;
    v.keys = {
        0, 0, 240, 0,    // 1 left
        0, 0, 241, 0,    // 2 right
        0, 0, 242, 0,    // 3 middle
        8, 0, 3, 0,      // 4 gun button, three guns
        0, 0, 243, 0,    // 5
        5, 0, 1, 0,      // 6
        5, 0, 2, 0,      // 7
        0, 240, 30, 2,   // 8
        0, 0, 0, 0,      // 9
        0, 0, 0, 0,      // 10
        0, 0, 0, 0,      // 11
        0, 0, 0, 0,      // 12
        0, 0, 0, 0,      // 13
        0, 0, 0, 0,      // 14
        255, 0, 1, 0,    // 15
        255, 0, 2, 0,    // 16
    };
    v.gunPeriods = {10, 20, 30};
    v.dpiValues = {400, 800, 1600, 3200, 4800, 6400, 8000, 12000};
    v.colours = {255, 0, 0, 255, 128, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 128, 0,
        255, 255, 255, 255};
    return v;
}

inline QString jsList(const QVariantList &values)
{
    QStringList items;
    for (const QVariant &value : values)
        items << value.toString();
    return QLatin1Char('[') + items.join(QLatin1String(", ")) + QLatin1Char(']');
}

// The bridge calls of a Save in the scene's order (buttons, DPI, lighting effect and colours,
// lift-off), as one script for the scene's root context.
inline QString saveScript(const SaveValues &v)
{
    return QStringLiteral("ui_View.mouseSetKeyMatrix(%1, true, %2);"
                          "ui_View.mouseSetDpi(%3, '%4', %5);"
                          "ui_View.mouseSetRGBEffect(%6, %7, %8);"
                          "ui_View.mouseSetRGBColor(%9, %10);"
                          "ui_View.mouseSetReportRate(%11);")
        .arg(jsList(v.keys), jsList(v.gunPeriods))
        .arg(v.dpiCount)
        .arg(v.sensor, jsList(v.dpiValues))
        .arg(v.effect)
        .arg(v.speed)
        .arg(v.brightness)
        .arg(v.colourType)
        .arg(jsList(v.colours))
        .arg(v.liftOff);
}

// One exchange on the command interface: the command report, the interrupt reports that carried
// its data, and what the device answered.
struct Exchange
{
    sim::WireRecord command;
    std::vector<sim::WireRecord> data;
    std::vector<sim::WireRecord> answers;

    uchar code() const { return command.bytes.size() > 1 ? command.bytes[1] : 0; }
    // The command report's first bytes as hex: "00 0C 01 80" for prefix 4.
    QString head(int prefix) const
    {
        return QString::fromLatin1(bytes(command.bytes).left(prefix).toHex(' ').toUpper());
    }
};

// The command-interface records of a wire log, one exchange per command report.
inline std::vector<Exchange> exchanges(const std::vector<sim::WireRecord> &log)
{
    std::vector<Exchange> out;
    for (const sim::WireRecord &r : log) {
        if (r.interface != sim::Interface::Command)
            continue;
        if (r.direction == sim::Direction::FeatureOut) {
            out.push_back({r, {}, {}});
        } else if (!out.empty()) {
            if (r.direction == sim::Direction::InterruptOut)
                out.back().data.push_back(r);
            else
                out.back().answers.push_back(r);
        }
    }
    return out;
}

// What the device needs around a command: 128 ms after the command report and again after its
// data ("settle"), 120 ms after every data report, and 8 ms before the next command for a few
// commands without data. Queries need none.
struct CommandPauses
{
    bool settle = false;
    bool closing = false;
};

inline CommandPauses pausesOf(sim::Family family, uchar code)
{
    static const std::vector<uchar> settled553 {
        0x01, 0x02, 0x07, 0x0B, 0x0C, 0x0D, 0x10, 0x11, 0x12, 0x13};
    static const std::vector<uchar> closing553 {0x03, 0x04};
    // The lift-off command 0x07 goes out in its 553 form on both families.
    static const std::vector<uchar> settled560 {0x03, 0x04, 0x07, 0x0C, 0x0D, 0x0F};
    static const std::vector<uchar> closing560 {0x01, 0x02};
    const bool is560 = family == sim::Family::F560;
    const auto &settled = is560 ? settled560 : settled553;
    const auto &closing = is560 ? closing560 : closing553;
    auto has = [code](const std::vector<uchar> &codes) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    return {has(settled), has(closing)};
}

constexpr double kSettleMs = 128;
constexpr double kReportGapMs = 120;
constexpr double kClosingPauseMs = 8;

// The pause the device needs after the command report (index -1) or after data report i.
inline double requiredAfter(const Exchange &e, sim::Family family, int dataIndex)
{
    const CommandPauses p = pausesOf(family, e.code());
    const bool lastOfExchange = dataIndex == int(e.data.size()) - 1;
    double ms = 0;
    if (dataIndex < 0)
        ms += p.settle ? kSettleMs : 0;
    else
        ms += kReportGapMs + (lastOfExchange && p.settle ? kSettleMs : 0);
    if (lastOfExchange)
        ms += p.closing ? kClosingPauseMs : 0;
    return ms;
}

// The sum of the pauses an exchange, or a sequence of them, must keep.
inline double mandatedMs(const Exchange &e, sim::Family family)
{
    double ms = requiredAfter(e, family, -1);
    for (int i = 0; i < int(e.data.size()); ++i)
        ms += requiredAfter(e, family, i);
    return ms;
}

inline double mandatedMs(const std::vector<Exchange> &sequence, sim::Family family)
{
    double ms = 0;
    for (const Exchange &e : sequence)
        ms += mandatedMs(e, family);
    return ms;
}

// Every place where the next host report (or, for the last one, the end of the sequence)
// came sooner than the device's pause allows, as text; empty when every gap is kept.
inline QStringList gapViolations(const std::vector<Exchange> &sequence, sim::Family family,
    std::optional<std::chrono::steady_clock::time_point> end = std::nullopt,
    double toleranceMs = 0.25)
{
    struct Due
    {
        std::chrono::steady_clock::time_point sent;
        double ms;
        QString what;
    };
    std::vector<Due> dues;
    for (const Exchange &e : sequence) {
        dues.push_back({e.command.time, requiredAfter(e, family, -1), e.head(9)});
        for (int i = 0; i < int(e.data.size()); ++i)
            dues.push_back({e.data[size_t(i)].time, requiredAfter(e, family, i),
                e.head(4) + QStringLiteral(" data report %1").arg(i + 1)});
    }
    QStringList out;
    for (size_t k = 0; k < dues.size(); ++k) {
        const std::optional<std::chrono::steady_clock::time_point> next =
            k + 1 < dues.size() ? std::optional(dues[k + 1].sent) : end;
        if (!next)
            continue;
        const double gap = std::chrono::duration<double, std::milli>(*next - dues[k].sent).count();
        if (gap + toleranceMs < dues[k].ms)
            out << QStringLiteral("%1: %2 ms, needs %3 ms")
                       .arg(dues[k].what)
                       .arg(gap)
                       .arg(dues[k].ms);
    }
    return out;
}

}  // namespace simtest
