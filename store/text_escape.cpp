#include "text_escape.h"

namespace TextEscape {

QString hex(uint code)
{
    return QStringLiteral("\\x%1").arg(code & 0xFF, 2, 16, QLatin1Char('0'));
}

QString controls(const QString &text, const QString &keep)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7f && u <= 0x9f);
        out += control && !keep.contains(c) ? hex(u) : QString(c);
    }
    return out;
}

QString bytes(const QByteArray &bytes, bool (*escaped)(uchar byte))
{
    QString out;
    for (const char c : bytes) {
        const uchar byte = uchar(c);
        out += escaped(byte) ? hex(byte) : QString(QLatin1Char(c));
    }
    return out;
}

}  // namespace TextEscape
