#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <array>
#include <initializer_list>

// Framing of everything the device receives and sends back. Building a report is kept
// apart from sending it, so the exact bytes can be checked without a device.
namespace HidFraming {

// Command report (feature report, host to device) and reply report (device to host).
constexpr int kCommandReportSize = 9;
constexpr uchar kReportId = 0x00;  // byte 0 of every report
constexpr int kCodeOffset = 1;     // byte 1: command code
constexpr int kParamOffset = 2;    // bytes 2 … 7: parameters, 0x00 where unnamed
constexpr int kParamCount = 6;
constexpr int kChecksumOffset = 8;    // byte 8: ~(sum of bytes 1 … 7)
constexpr int kReplyValueOffset = 2;  // reply bytes 2 … 5 carry the returned values

// Bulk data travels in interrupt reports of reportLength + 1 bytes (byte 0 = report id).
constexpr int kDataBufferSize = 128;

// Fixed pauses of the protocol, in milliseconds.
constexpr int kIdlePollMs = 8;                 // interlock check interval …
constexpr int kIdlePollCount = 255;            // … and number of checks (about 2 s)
constexpr int kSettleStepMs = 64;              // a settle is two of these, 128 ms
constexpr int kReportGapMs = 120;              // after every interrupt OUT report
constexpr int kCommandPauseMs = 8;             // extra pause after some set commands
constexpr int kInterruptReadTimeoutMs = 1000;  // bound of one interrupt IN read
constexpr int kEventReadTimeoutMs = 500;       // monitor's read on the event interface

using CommandReport = std::array<uchar, kCommandReportSize>;

// The bitwise complement of the 8-bit sum of the seven bytes at cmd.
uchar checksum(const uchar *cmd);

// Report id 0, the code, up to six parameters (the rest 0x00), the checksum.
CommandReport commandReport(uchar code, std::initializer_list<uchar> params);

// Number of data bytes carried by one interrupt report for a transfer of dataLength bytes.
inline int bytesPerReport(int dataLength, int reportLength)
{
    return qMin(dataLength, reportLength);
}

// The interrupt OUT reports that carry dataLength bytes of data: each reportLength + 1
// bytes, byte 0 = 0x00, then the next bytes of data, zero-padded.
QList<QByteArray> dataReports(const uchar *data, int dataLength, int reportLength);

// Hex dump for diagnostics, "00 01 01 …".
QByteArray hex(const uchar *bytes, int length);

}  // namespace HidFraming
