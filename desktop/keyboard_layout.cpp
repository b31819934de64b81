#include "keyboard_layout.h"

namespace KeyboardLayouts {

const QList<PrintedKey> &printedKeys()
{
    // Letters A … Z, digits 1 … 0, then - = [ ] \ (ANSI and ISO) ; ' ` , . / and the ISO key
    // beside Left Shift, the Japanese ro and yen keys.
    static const QList<PrintedKey> keys = {{0x04, 30, 0x1E}, {0x05, 48, 0x30}, {0x06, 46, 0x2E},
        {0x07, 32, 0x20}, {0x08, 18, 0x12}, {0x09, 33, 0x21}, {0x0A, 34, 0x22}, {0x0B, 35, 0x23},
        {0x0C, 23, 0x17}, {0x0D, 36, 0x24}, {0x0E, 37, 0x25}, {0x0F, 38, 0x26}, {0x10, 50, 0x32},
        {0x11, 49, 0x31}, {0x12, 24, 0x18}, {0x13, 25, 0x19}, {0x14, 16, 0x10}, {0x15, 19, 0x13},
        {0x16, 31, 0x1F}, {0x17, 20, 0x14}, {0x18, 22, 0x16}, {0x19, 47, 0x2F}, {0x1A, 17, 0x11},
        {0x1B, 45, 0x2D}, {0x1C, 21, 0x15}, {0x1D, 44, 0x2C}, {0x1E, 2, 0x02}, {0x1F, 3, 0x03},
        {0x20, 4, 0x04}, {0x21, 5, 0x05}, {0x22, 6, 0x06}, {0x23, 7, 0x07}, {0x24, 8, 0x08},
        {0x25, 9, 0x09}, {0x26, 10, 0x0A}, {0x27, 11, 0x0B}, {0x2D, 12, 0x0C}, {0x2E, 13, 0x0D},
        {0x2F, 26, 0x1A}, {0x30, 27, 0x1B}, {0x31, 43, 0x2B}, {0x32, 43, 0x2B}, {0x33, 39, 0x27},
        {0x34, 40, 0x28}, {0x35, 41, 0x29}, {0x36, 51, 0x33}, {0x37, 52, 0x34}, {0x38, 53, 0x35},
        {0x64, 86, 0x56}, {0x87, 89, 0x73}, {0x89, 124, 0x7D}};
    return keys;
}

namespace {

bool isDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

QString textOf(char32_t c)
{
    return QString::fromUcs4(&c, 1);
}

}  // namespace

QString labelOf(char32_t unshifted, char32_t shifted)
{
    if (!isDigit(unshifted) && isDigit(shifted))
        return textOf(shifted);
    if (unshifted < 0x20 || (unshifted >= 0x7F && unshifted < 0xA0))
        return QString();
    const QString text = textOf(unshifted);
    // Capitals as printed, except where the capital would be another length (ß stays ß).
    const QString upper = text.toUpper();
    return upper.size() == text.size() ? upper : text;
}

}  // namespace KeyboardLayouts

QVariantMap KeyboardLayout::toVariant() const
{
    QVariantMap labelMap;
    for (auto it = labels.begin(); it != labels.end(); ++it)
        labelMap.insert(QString::number(it.key()), it.value());
    QVariantMap letterMap;
    for (auto it = letters.begin(); it != letters.end(); ++it)
        letterMap.insert(QString(it.key()), it.value());
    return {{QStringLiteral("name"), name}, {QStringLiteral("labels"), labelMap},
        {QStringLiteral("letters"), letterMap}};
}
