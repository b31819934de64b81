#include "hid_framing.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>

namespace HidFraming {

uchar checksum(const uchar *cmd)
{
    uint sum = 0;
    for (int i = 0; i < 7; ++i)
        sum += cmd[i];
    return uchar(0xFF - (sum & 0xFF));
}

CommandReport commandReport(uchar code, std::initializer_list<uchar> params)
{
    Q_ASSERT(params.size() <= size_t(kParamCount));
    CommandReport report {};
    report[0] = kReportId;
    report[kCodeOffset] = code;
    std::copy_n(params.begin(), std::min(params.size(), size_t(kParamCount)),
        report.begin() + kParamOffset);
    report[kChecksumOffset] = checksum(report.data() + kCodeOffset);
    return report;
}

QList<QByteArray> dataReports(const uchar *data, int dataLength, int reportLength)
{
    QList<QByteArray> reports;
    const int n = bytesPerReport(dataLength, reportLength);
    if (n <= 0)
        return reports;
    for (int offset = 0; offset < dataLength; offset += n) {
        QByteArray report(reportLength + 1, '\0');
        report[0] = char(kReportId);
        const int chunk = std::min(n, dataLength - offset);
        std::memcpy(report.data() + 1, data + offset, size_t(chunk));
        reports.append(report);
    }
    return reports;
}

QByteArray hex(const uchar *bytes, int length)
{
    return QByteArray(reinterpret_cast<const char *>(bytes), length).toHex(' ').toUpper();
}

}  // namespace HidFraming
