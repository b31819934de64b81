import QtQuick

// A text of the scene in the scene's font and colours. A text that shows state is read out
// by a screen reader under the text it shows.
Text {
    color: root.fontColor
    font.family: root.fontFamily
    font.pixelSize: root.fontNormalSize
    elide: Text.ElideRight
    verticalAlignment: Text.AlignVCenter

    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
