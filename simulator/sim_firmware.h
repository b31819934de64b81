#pragma once

// The firmware of one simulated device: what it does with every report the host sends on
// the command interface. No locking and no I/O here; the simulator's registry calls it
// under its lock and moves the reports.

#include "sim_device.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>

namespace sim {

// Command and reply reports: byte 0 report id 0x00, byte 1 code, bytes 2 … 7 parameters,
// byte 8 checksum.
constexpr size_t kFeatureReportSize = 9;
constexpr int kCodeByte = 1;
constexpr int kBlockLengthByte = 3;  // data commands: length of the block that follows
constexpr int kChecksumByte = 8;
constexpr int kProfileCount = 5;  // 560 family: device profiles 0 … 4
constexpr int kProfileSize = 128;
constexpr int kGunSlots = 3;  // 553 family: gun records 0 … 2

using FeatureReport = std::array<uint8_t, kFeatureReportSize>;

// 0xFF minus the 8-bit sum of bytes 1 … 7.
uint8_t featureChecksum(const FeatureReport &report);

// Where a completed data block goes; the command report says which slot.
using BlockStore = void (*)(DeviceState &state, const FeatureReport &command, const Bytes &block);

class Firmware
{
public:
    Firmware(Family family, int reportLength);

    DeviceState state;

    // A feature report from the host. Reports of the wrong size or report id and reports
    // with a wrong checksum are counted and dropped; any other ends an unfinished transfer
    // and is acted on by the command table of the family.
    void receiveCommand(const uint8_t *report, size_t length);
    // An interrupt OUT report from the host: report id 0x00, then reportLength data bytes.
    void receiveData(const uint8_t *report, size_t length);

    // The reply prepared by the last query (code 0x00 before the first one).
    const FeatureReport &reply() const { return m_reply; }

    // Interrupt IN reports waiting for the host, oldest first.
    bool hasInReport() const { return !m_inReports.empty(); }
    Bytes takeInReport();

    // Used by the command tables -------------------------------------------------------
    // The next interrupt OUT reports carry a block of byte 3 bytes; store may be null
    // for a block the firmware takes in and drops.
    void expectBlock(const FeatureReport &command, BlockStore store);
    // Prepares the reply to a query: the code, then values from byte 2 on.
    void answer(const FeatureReport &command, std::initializer_list<uint8_t> values);
    // Queues data for the host in interrupt IN reports of reportLength bytes each.
    void queueReadOut(const uint8_t *data, size_t length);
    // A parameter out of range: the command is ignored.
    void reject() { ++state.rejectedCommands; }

private:
    struct PendingBlock
    {
        FeatureReport command {};
        BlockStore store = nullptr;
        size_t length = 0;
        Bytes received;
    };

    void dispatch(const FeatureReport &command);
    void finishBlockIfComplete();
    void abortUnfinishedTransfer();

    Family m_family;
    size_t m_reportLength;
    bool m_blockPending = false;
    PendingBlock m_block;
    FeatureReport m_reply {};
    std::deque<Bytes> m_inReports;
};

}  // namespace sim
