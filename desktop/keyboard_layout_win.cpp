#include "keyboard_layout.h"

#include <QLocale>

#include <windows.h>

// The input language of the thread's keyboard layout: each printed key's scan code through the
// layout to its virtual key and character (dead keys carry their mark with the top bit set).

namespace {

char32_t characterOf(UINT scanCode, HKL layout)
{
    const UINT virtualKey = MapVirtualKeyExW(scanCode, MAPVK_VSC_TO_VK, layout);
    if (virtualKey == 0)
        return 0;
    return char32_t(MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_CHAR, layout) & 0x7FFFFFFF);
}

}  // namespace

namespace KeyboardLayouts {

KeyboardLayout current()
{
    KeyboardLayout out;
    HKL layout = GetKeyboardLayout(0);
    if (layout == nullptr)
        return out;
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID language = LOWORD(reinterpret_cast<quintptr>(layout));
    if (LCIDToLocaleName(language, locale, LOCALE_NAME_MAX_LENGTH, 0) > 0)
        out.name =
            QLocale(QString::fromWCharArray(locale).replace(QLatin1Char('-'), QLatin1Char('_')))
                .nativeLanguageName();
    for (const auto &key : printedKeys()) {
        const char32_t c = characterOf(UINT(key.scanCode), layout);
        // Letters come back as capitals.
        const QString label = labelOf(c >= U'A' && c <= U'Z' ? c + 0x20 : c, 0);
        if (!label.isEmpty())
            out.labels.insert(key.usb, label);
        if (c >= U'A' && c <= U'Z' && !out.letters.contains(QChar(char16_t(c + 0x20))))
            out.letters.insert(QChar(char16_t(c + 0x20)), key.usb);
    }
    return out;
}

}  // namespace KeyboardLayouts
