#include "text_escape.h"

namespace TextEscape {

QString hex(uint code)
{
    return QStringLiteral("\\x%1").arg(code & 0xFF, 2, 16, QLatin1Char('0'));
}

namespace {

// The marks and embeddings that turn the order in which a terminal shows text (U+202E shows
// what follows it backwards).
bool bidirectionalControl(ushort u)
{
    return u == 0x061c || u == 0x200e || u == 0x200f || (u >= 0x202a && u <= 0x202e)
        || (u >= 0x2066 && u <= 0x2069);
}

}  // namespace

QString controls(const QString &text, const QString &keep)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7f && u <= 0x9f);
        if (control && !keep.contains(c))
            out += hex(u);
        else if (bidirectionalControl(u))
            out += bytes(QString(c).toUtf8(), [](uchar) { return true; });
        else
            out += c;
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
