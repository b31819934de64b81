#include "copydata.h"

#include <QByteArray>

#include <cstring>

namespace CopyData {

std::optional<QString> warningText(quintptr dwData, const void *data, quint32 cbData)
{
    if (dwData != kWarningRequest || (!data && cbData > 0))
        return std::nullopt;
    const char *bytes = static_cast<const char *>(data);
    const void *zero = cbData ? std::memchr(bytes, 0, cbData) : nullptr;
    const qsizetype length = zero ? static_cast<const char *>(zero) - bytes : qsizetype(cbData);
    const QString text = QString::fromUtf8(bytes, length);
    if (text.toUtf8().size() != qsizetype(cbData) || length != qsizetype(cbData))
        return std::nullopt;
    return text;
}

}  // namespace CopyData
