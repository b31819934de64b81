#pragma once

#include <QByteArray>
#include <QString>

// How names and texts from outside are written where a control character could do harm (a
// terminal, a diagnostic line) or where bytes that are no UTF-8 must keep a text of their own:
// as \xHH, two lower-case hex digits.
namespace TextEscape {

// One code below 0x100 as \xHH.
QString hex(uint code);

// The text with every control character (C0, DEL, C1) as \xHH; those in keep stay as they are
// (a line end in a message of several lines). The bidirectional controls (U+202E, …) are
// written as the \xHH of their UTF-8 bytes.
QString controls(const QString &text, const QString &keep = QString());

// Bytes as text: each byte for which escaped(byte) holds as \xHH, the others as Latin-1.
QString bytes(const QByteArray &bytes, bool (*escaped)(uchar byte));

}  // namespace TextEscape
