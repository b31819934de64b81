import QtQuick
import "../js/hue_bar.js" as Hue

// A bar of the hues from red round to red, with a marker that picks one. Pressing or
// dragging on the bar puts the marker's centre under the pointer (within the bar) and
// announces the colour under it; letting go announces the end of the choice. placeOn() puts
// the marker on a given colour, which the marker then shows as it is.
//
// From the keyboard, with the focus: the arrows move the marker a pixel, Page Up and Page Down
// a tenth of the bar, Home and End to the ends; each move is a whole choice (picked, then
// released). A screen reader sees a slider over the hues in degrees (0 … 359).
Item {
    id: bar

    property string name: ""
    // The value's text for a screen reader, "%1" standing for the degrees.
    property string degreesText: "%1"
    // Where the marker's centre lies, in pixels from the bar's left edge.
    property real markerCentre: 1
    property color markerColor: "#ff0000"
    readonly property alias marker: marker

    signal picked(int r, int g, int b)
    signal released()

    function placeOn(r, g, b) {
        markerCentre = Hue.markerCentre(r, g, b, width)
        markerColor = Hue.colourText(r, g, b)
    }

    function pickAt(centre) {
        markerCentre = Hue.clampCentre(Math.round(centre), width)
        var c = Hue.colourAtCentre(markerCentre, width)
        markerColor = Hue.colourText(c[0], c[1], c[2])
        picked(c[0], c[1], c[2])
    }

    // A whole choice at centre, as a click there.
    function chooseAt(centre) {
        pickAt(centre)
        released()
    }

    implicitWidth: 200
    implicitHeight: 12
    activeFocusOnTab: true

    // The slider's value and bounds for assistive technology: the hue under the marker in
    // degrees; a value it writes is a choice.
    readonly property int degrees: {
        var c = Hue.colourAtCentre(markerCentre, width)
        return Hue.hueDegrees(c[0], c[1], c[2])
    }
    property real value: degrees
    readonly property real minimumValue: 0
    readonly property real maximumValue: 359
    readonly property real stepSize: 1
    onValueChanged: {
        if (value !== degrees)
            chooseAt(Hue.centreOfDegrees(value, width))
        value = Qt.binding(function () { return bar.degrees })
    }

    Accessible.role: Accessible.Slider
    Accessible.name: name
    Accessible.description: degreesText.split("%1").join(String(degrees))
    Accessible.onIncreaseAction: chooseAt(markerCentre + 1)
    Accessible.onDecreaseAction: chooseAt(markerCentre - 1)

    Keys.onPressed: function (event) {
        var tenth = Math.round(width / 10)
        switch (event.key) {
        case Qt.Key_Left: case Qt.Key_Down: chooseAt(markerCentre - 1); break
        case Qt.Key_Right: case Qt.Key_Up: chooseAt(markerCentre + 1); break
        case Qt.Key_PageDown: chooseAt(markerCentre - tenth); break
        case Qt.Key_PageUp: chooseAt(markerCentre + tenth); break
        case Qt.Key_Home: chooseAt(Hue.clampCentre(0, width)); break
        case Qt.Key_End: chooseAt(Hue.clampCentre(width, width)); break
        default: return
        }
        event.accepted = true
    }

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        border.color: root.colorGray1
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0 / 6; color: "#ff0000" }
            GradientStop { position: 1 / 6; color: "#ffff00" }
            GradientStop { position: 2 / 6; color: "#00ff00" }
            GradientStop { position: 3 / 6; color: "#00ffff" }
            GradientStop { position: 4 / 6; color: "#0000ff" }
            GradientStop { position: 5 / 6; color: "#ff00ff" }
            GradientStop { position: 1.0; color: "#ff0000" }
        }
    }
    Rectangle {
        id: marker
        objectName: bar.objectName + "Marker"
        x: bar.markerCentre - width / 2
        anchors.verticalCenter: parent.verticalCenter
        width: Hue.markerWidth
        height: bar.height + 8
        radius: 4
        color: bar.markerColor
        border.color: root.fontColor
        border.width: 2
    }
    FocusRing {
        anchors.margins: -7
    }
    // Reaches over the marker's overhang at both ends.
    MouseArea {
        id: area
        anchors { fill: parent; margins: -Hue.markerWidth / 2; topMargin: -4; bottomMargin: -4 }
        cursorShape: Qt.PointingHandCursor
        preventStealing: true
        onPressed: function (mouse) { bar.pickAt(mouse.x + area.x) }
        onPositionChanged: function (mouse) { bar.pickAt(mouse.x + area.x) }
        onReleased: bar.released()
    }
}
