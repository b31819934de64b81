import QtQuick

// The frame round the control that has the keyboard focus: 2 px of a light blue that stands
// out against every surface of the scene, just outside the control's edge. It follows the
// keyboard focus only; the pointer never lights it.
Rectangle {
    property bool shown: parent ? parent.activeFocus : false

    anchors.fill: parent
    anchors.margins: -3
    radius: parent && parent.radius !== undefined ? parent.radius + 3 : 5
    color: "transparent"
    border.width: 2
    border.color: root.colorFocus
    visible: shown
    z: 100
    Accessible.ignored: true
}
