#pragma once

// Helpers for tests that run the program's code against the simulated device.

#include "devinfo.h"
#include "sim_device.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <vector>

namespace simtest {

// The device-list entry that describes a plugged simulated device, with both paths filled
// as device discovery would fill them.
inline DevInfo devInfoFor(sim::DeviceId id, const sim::DeviceSpec &model)
{
    DevInfo info;
    info.type = 1;
    info.vid = model.vid;
    info.pid = model.pid;
    info.usagePage = model.command.usagePage;
    info.usage = model.command.usage;
    info.usagePage2 = model.event.usagePage;
    info.usage2 = model.event.usage;
    info.reportLength = model.reportLength;
    if (model.command.present)
        info.path = QString::fromStdString(sim::path(id, sim::Interface::Command));
    if (model.event.present)
        info.path2 = QString::fromStdString(sim::path(id, sim::Interface::Event));
    return info;
}

inline QByteArray bytes(const sim::Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size()));
}

inline QByteArray hex(const sim::Bytes &b)
{
    return bytes(b).toHex(' ').toUpper();
}

// The records of one direction (and interface) in order.
inline std::vector<sim::WireRecord> records(
    sim::Direction direction, sim::Interface iface = sim::Interface::Command)
{
    std::vector<sim::WireRecord> out;
    for (const sim::WireRecord &r : sim::wireLog())
        if (r.direction == direction && r.interface == iface)
            out.push_back(r);
    return out;
}

// Every record of one interface, both directions, in order.
inline std::vector<sim::WireRecord> records(sim::Interface iface)
{
    std::vector<sim::WireRecord> out;
    for (const sim::WireRecord &r : sim::wireLog())
        if (r.interface == iface)
            out.push_back(r);
    return out;
}

// The host-to-device reports on the command interface, as hex strings, in order.
inline QStringList sentReports()
{
    QStringList out;
    for (const sim::WireRecord &r : sim::wireLog())
        if (r.interface == sim::Interface::Command
            && (r.direction == sim::Direction::FeatureOut
                || r.direction == sim::Direction::InterruptOut))
            out.append(QString::fromLatin1(hex(r.bytes)));
    return out;
}

// The command codes (byte 1 of each command report) the host sent, in order.
inline QList<int> commandCodes()
{
    QList<int> codes;
    for (const sim::WireRecord &r : records(sim::Direction::FeatureOut))
        codes.append(r.bytes.at(1));
    return codes;
}

// The data the host sent in interrupt reports on the command interface, without the report
// ids, in order.
inline QByteArray carried()
{
    QByteArray out;
    for (const sim::WireRecord &r : records(sim::Direction::InterruptOut))
        out += bytes(r.bytes).mid(1);
    return out;
}

// A data block of length bytes, each unlike its neighbours; seed is the first.
inline QByteArray pattern(int length, int seed)
{
    QByteArray out(length, '\0');
    for (int i = 0; i < length; ++i)
        out[i] = char(seed + i * 7);
    return out;
}

// A command report as hex, with its checksum worked out here rather than by the program.
inline QString command(uchar code, std::initializer_list<uchar> params = {})
{
    QByteArray report(9, '\0');
    report[1] = char(code);
    int i = 2;
    for (uchar p : params)
        report[i++] = char(p);
    uint sum = 0;
    for (int b = 1; b < 8; ++b)
        sum += uchar(report[b]);
    report[8] = char(~sum & 0xFF);
    return QString::fromLatin1(report.toHex(' ').toUpper());
}

// A command report followed by the interrupt reports (32 data bytes each) carrying data.
inline QStringList write(
    uchar code, std::initializer_list<uchar> params, const QByteArray &data = {})
{
    QStringList out {command(code, params)};
    for (int offset = 0; offset < data.size(); offset += 32) {
        QByteArray report(33, '\0');
        const QByteArray chunk = data.mid(offset, 32);
        report.replace(1, chunk.size(), chunk);
        out.append(QString::fromLatin1(report.toHex(' ').toUpper()));
    }
    return out;
}

inline double msBetween(
    std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

inline double msBetween(const sim::WireRecord &a, const sim::WireRecord &b)
{
    return msBetween(a.time, b.time);
}

// The longest stretch without a tick between start and end.
inline double longestGap(std::chrono::steady_clock::time_point start,
    const std::vector<std::chrono::steady_clock::time_point> &ticks,
    std::chrono::steady_clock::time_point end)
{
    double longest = 0;
    auto previous = start;
    for (const auto &tick : ticks) {
        longest = std::max(longest, msBetween(previous, tick));
        previous = tick;
    }
    return std::max(longest, msBetween(previous, end));
}

}  // namespace simtest
