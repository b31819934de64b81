#include "sim_firmware.h"

#include <algorithm>
#include <iterator>

namespace sim {

namespace {

using Handler = void (*)(Firmware &fw, const FeatureReport &c);

// One command the firmware knows. c[n] is byte n of the command report as it came in.
struct CommandRule
{
    uint8_t code;
    Handler handle;
};

template<size_t N>
void copyInto(std::array<uint8_t, N> &target, const Bytes &block)
{
    std::copy_n(block.begin(), std::min(block.size(), N), target.begin());
}

bool isProfile(uint8_t n)
{
    return n < kProfileCount;
}

// Settings take effect when the whole command has arrived: a block that is cut short
// leaves everything as it was, including the parameters of its command report.

// 553 family: one command per setting.
constexpr CommandRule kCommands553[] = {
    // 0x01 set: b2 report rate code (1, 2, 4, 8).
    {0x01, [](Firmware &fw, const FeatureReport &c) { fw.state.reportRate = c[2]; }},
    // 0x02 set: b2 active key matrix.
    {0x02, [](Firmware &fw, const FeatureReport &c) { fw.state.currentKeyMatrix = c[2]; }},
    // 0x03 set: b2 … b5 the four keyboard option bytes.
    {0x03,
        [](Firmware &fw, const FeatureReport &c) {
            std::copy_n(c.begin() + 2, 4, fw.state.options.begin());
        }},
    // 0x04 set: b3 shots, b4 horizontal, b5 vertical for gun slot b6 (0 … 2).
    {0x04,
        [](Firmware &fw, const FeatureReport &c) {
            if (c[6] >= kGunSlots)
                return fw.reject();
            fw.state.gun[c[6]] = {c[3], c[4], c[5]};
        }},
    // 0x07 set: b3 lift-off distance, b4 top of its range (0x7D).
    {0x07,
        [](Firmware &fw, const FeatureReport &c) {
            fw.state.liftOff = c[3];
            fw.state.liftOffTop = c[4];
        }},
    // 0x0B set: b2 DPI stage in use, from 1.
    {0x0B, [](Firmware &fw, const FeatureReport &c) { fw.state.currentDpi = c[2]; }},
    // 0x0C set: b2 … b4 fixed colour R, G, B.
    {0x0C,
        [](Firmware &fw, const FeatureReport &c) {
            std::copy_n(c.begin() + 2, 3, fw.state.fixColor.begin());
        }},
    // 0x0D set: b2 effect, b3 and b4 its two options.
    {0x0D,
        [](Firmware &fw, const FeatureReport &c) {
            std::copy_n(c.begin() + 2, 3, fw.state.ledEffect.begin());
        }},
    // 0x10 set + data: b2 LED type, b3 bytes of colours follow.
    {0x10,
        [](Firmware &fw, const FeatureReport &c) {
            fw.expectBlock(c, [](DeviceState &s, const FeatureReport &c, const Bytes &block) {
                s.ledType = c[2];
                s.ledColors = block;
            });
        }},
    // 0x11 set + data: b2 number of enabled DPI stages, 8 stage codes follow.
    {0x11,
        [](Firmware &fw, const FeatureReport &c) {
            fw.expectBlock(c, [](DeviceState &s, const FeatureReport &c, const Bytes &block) {
                s.dpiStageCount = c[2];
                copyInto(s.dpiTable, block);
            });
        }},
    // 0x12 set + data: key matrix b2, 64 bytes of key entries follow (b4 0x08 unused).
    {0x12,
        [](Firmware &fw, const FeatureReport &c) {
            fw.expectBlock(c, [](DeviceState &s, const FeatureReport &c, const Bytes &block) {
                s.keyMatrices[c[2]] = block;
            });
        }},
    // 0x13 set + data: macro slot b2, the 128-byte macro record follows.
    {0x13,
        [](Firmware &fw, const FeatureReport &c) {
            fw.expectBlock(c, [](DeviceState &s, const FeatureReport &c, const Bytes &block) {
                s.macros[c[2]] = block;
            });
        }},
    // 0x83 query: reply b2 … b5 the four keyboard option bytes.
    {0x83,
        [](Firmware &fw, const FeatureReport &c) {
            const auto &o = fw.state.options;
            fw.answer(c, {o[0], o[1], o[2], o[3]});
        }},
    // 0x8B query: reply b2 the DPI stage in use.
    {0x8B, [](Firmware &fw, const FeatureReport &c) { fw.answer(c, {fw.state.currentDpi}); }},
};

// 560 family: settings live in five 128-byte profiles written and read whole.
constexpr CommandRule kCommands560[] = {
    // 0x01 set: b2, b3 the two keyboard option bytes.
    {0x01,
        [](Firmware &fw, const FeatureReport &c) {
            fw.state.options[0] = c[2];
            fw.state.options[1] = c[3];
        }},
    // 0x02 set: b2 profile in use (0 … 4).
    {0x02,
        [](Firmware &fw, const FeatureReport &c) {
            if (!isProfile(c[2]))
                return fw.reject();
            fw.state.currentProfile = c[2];
        }},
    // 0x03 set: b3 report rate code of profile b2.
    {0x03,
        [](Firmware &fw, const FeatureReport &c) {
            if (!isProfile(c[2]))
                return fw.reject();
            fw.state.profileReportRate[c[2]] = c[3];
        }},
    // 0x04 set: b3 DPI stage in use of profile b2.
    {0x04,
        [](Firmware &fw, const FeatureReport &c) {
            if (!isProfile(c[2]))
                return fw.reject();
            fw.state.profileCurrentDpi[c[2]] = c[3];
        }},
    // 0x0C set + data: profile b2, its 128-byte image follows. A profile number out of
    // range is refused, but its data reports are still taken in and dropped.
    {0x0C,
        [](Firmware &fw, const FeatureReport &c) {
            if (!isProfile(c[2])) {
                fw.reject();
                return fw.expectBlock(c, nullptr);
            }
            fw.expectBlock(c, [](DeviceState &s, const FeatureReport &c, const Bytes &block) {
                copyInto(s.profiles[c[2]], block);
            });
        }},
    // 0x0D set + data: key matrix b2, 128 bytes follow (64 of key entries, 64 zero).
    {0x0D,
        [](Firmware &fw, const FeatureReport &c) {
            fw.expectBlock(c, [](DeviceState &s, const FeatureReport &c, const Bytes &block) {
                s.keyMatrices[c[2]] = block;
            });
        }},
    // 0x0F set + data: macro slot b2, the 128-byte macro record follows.
    {0x0F,
        [](Firmware &fw, const FeatureReport &c) {
            fw.expectBlock(c, [](DeviceState &s, const FeatureReport &c, const Bytes &block) {
                s.macros[c[2]] = block;
            });
        }},
    // 0x81 query: reply b2, b3 the two keyboard option bytes.
    {0x81,
        [](Firmware &fw, const FeatureReport &c) {
            fw.answer(c, {fw.state.options[0], fw.state.options[1]});
        }},
    // 0x82 query: reply b2 the profile in use.
    {0x82, [](Firmware &fw, const FeatureReport &c) { fw.answer(c, {fw.state.currentProfile}); }},
    // 0x84 query: profile b2; reply b2 that profile, b3 its DPI stage in use.
    {0x84,
        [](Firmware &fw, const FeatureReport &c) {
            if (!isProfile(c[2])) {
                fw.reject();
                return fw.answer(c, {c[2], 0});
            }
            fw.answer(c, {c[2], fw.state.profileCurrentDpi[c[2]]});
        }},
    // 0x8C query: profile b2; reply b2 that profile, and its 128-byte image follows in
    // interrupt IN reports. Nothing follows for a profile number out of range.
    {0x8C,
        [](Firmware &fw, const FeatureReport &c) {
            fw.answer(c, {c[2]});
            if (!isProfile(c[2]))
                return fw.reject();
            const auto &image = fw.state.profiles[c[2]];
            fw.queueReadOut(image.data(), image.size());
        }},
};

template<size_t N>
const CommandRule *findRule(const CommandRule (&rules)[N], uint8_t code)
{
    const auto it = std::find_if(std::begin(rules), std::end(rules),
        [code](const CommandRule &r) { return r.code == code; });
    return it == std::end(rules) ? nullptr : it;
}

}  // namespace

uint8_t featureChecksum(const FeatureReport &report)
{
    unsigned sum = 0;
    for (int i = kCodeByte; i < kChecksumByte; ++i)
        sum += report[i];
    return uint8_t(0xFF - (sum & 0xFF));
}

Firmware::Firmware(Family family, int reportLength)
    : m_family(family)
    , m_reportLength(size_t(std::max(reportLength, 1)))
{
    m_reply[kChecksumByte] = featureChecksum(m_reply);
}

void Firmware::receiveCommand(const uint8_t *report, size_t length)
{
    if (!report || length != kFeatureReportSize || report[0] != 0x00) {
        ++state.malformedReports;
        return;
    }
    FeatureReport command;
    std::copy_n(report, kFeatureReportSize, command.begin());
    // A frame that does not add up is dropped before anything else looks at it.
    if (command[kChecksumByte] != featureChecksum(command)) {
        ++state.checksumErrors;
        return;
    }
    ++state.commandsReceived;
    abortUnfinishedTransfer();
    dispatch(command);
}

void Firmware::receiveData(const uint8_t *report, size_t length)
{
    if (!report || length != m_reportLength + 1 || report[0] != 0x00) {
        ++state.malformedReports;
        return;
    }
    if (!m_blockPending) {
        ++state.strayReports;
        return;
    }
    const size_t take = std::min(m_block.length - m_block.received.size(), m_reportLength);
    m_block.received.insert(m_block.received.end(), report + 1, report + 1 + take);
    finishBlockIfComplete();
}

Bytes Firmware::takeInReport()
{
    if (m_inReports.empty())
        return {};
    Bytes report = std::move(m_inReports.front());
    m_inReports.pop_front();
    return report;
}

void Firmware::expectBlock(const FeatureReport &command, BlockStore store)
{
    m_block = PendingBlock {command, store, command[kBlockLengthByte], {}};
    m_blockPending = true;
    finishBlockIfComplete();
}

void Firmware::answer(const FeatureReport &command, std::initializer_list<uint8_t> values)
{
    m_reply.fill(0x00);
    m_reply[kCodeByte] = command[kCodeByte];
    const size_t count = std::min(values.size(), size_t(kChecksumByte - 2));
    std::copy_n(values.begin(), count, m_reply.begin() + 2);
    m_reply[kChecksumByte] = featureChecksum(m_reply);
}

void Firmware::queueReadOut(const uint8_t *data, size_t length)
{
    for (size_t offset = 0; offset < length; offset += m_reportLength) {
        // Every report has the full length; the last one is padded with zeros.
        Bytes report(m_reportLength, 0x00);
        std::copy_n(data + offset, std::min(m_reportLength, length - offset), report.begin());
        m_inReports.push_back(std::move(report));
    }
}

void Firmware::dispatch(const FeatureReport &command)
{
    const uint8_t code = command[kCodeByte];
    const CommandRule *rule =
        m_family == Family::F553 ? findRule(kCommands553, code) : findRule(kCommands560, code);
    if (!rule) {
        ++state.unknownCommands;
        return;
    }
    rule->handle(*this, command);
}

void Firmware::finishBlockIfComplete()
{
    if (!m_blockPending || m_block.received.size() < m_block.length)
        return;
    m_blockPending = false;
    if (m_block.store)
        m_block.store(state, m_block.command, m_block.received);
    m_block = PendingBlock {};
}

void Firmware::abortUnfinishedTransfer()
{
    if (m_blockPending) {
        ++state.abortedTransfers;
        m_blockPending = false;
        m_block = PendingBlock {};
    }
    // Profile reports the host did not fetch are dropped: the firmware starts over.
    if (!m_inReports.empty()) {
        ++state.abortedTransfers;
        m_inReports.clear();
    }
}

}  // namespace sim
