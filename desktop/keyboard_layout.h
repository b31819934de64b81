#pragma once

#include <QHash>
#include <QString>
#include <QVariantMap>

// The desktop's keyboard layout, as far as the program shows and sends keys: the label printed
// on each key that carries a character, and the key that gives each Latin letter. Keys travel
// as USB key codes (HID keyboard usages, the position of the key on the board); the layout
// only names them.
struct KeyboardLayout
{
    // The layout's own name ("German", "French"); empty when no layout could be read.
    QString name;
    // USB key code → the key's label: its character without Shift, in capitals for letters
    // ("Z", "Ö", "ß", "-"). Keys without a character (Enter, F1, the arrows) have none.
    QHash<int, QString> labels;
    // 'a' … 'z' → the USB key code of the key that types the letter in this layout (or, where
    // the layout has no Latin letters, in the first other layout of the keymap that has it).
    QHash<QChar, int> letters;

    // For the scene: {name, labels: {"<code>": label}, letters: {"a": code}}.
    QVariantMap toVariant() const;
};

namespace KeyboardLayouts {

// The layout in use now: the keymap of the X server (its active group) or of the Wayland
// compositor, the input language on Windows. An empty layout where none can be read.
KeyboardLayout current();

// The keys that carry a printed character: USB key code, Linux input code (X keycode − 8)
// and PC set-1 scan code.
struct PrintedKey
{
    int usb;
    int linuxCode;
    int scanCode;
};
const QList<PrintedKey> &printedKeys();

// The label of a key from the characters its first two levels type (0 for none): the
// unshifted one in capitals, or the shifted one when that is a digit and the unshifted one
// is not (the digit row of AZERTY boards, printed "1" over "&").
QString labelOf(char32_t unshifted, char32_t shifted);

}  // namespace KeyboardLayouts
