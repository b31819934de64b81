import QtQuick
import "../basic"
import "../js/slider_map.js" as SliderMap

// The lift-off distance: a slider 3 … 89 shown in millimetres, stored as "mouse/reportRate"
// and sent as 90 … 125.
Panel {
    id: row

    property string label: "LOD"
    property bool isSave: false
    readonly property int position: slider.value
    // The position last read or saved: a moved slider is stored at once, and discarding the
    // move puts this one back.
    property int keptValue: SliderMap.lodFirst

    function closeDropDowns() {
        slider.close()
    }

    // Reads the stored position (the factory one with recovery) and, if asked, sends it.
    function init(send, recovery) {
        var stored = Number(ui_View.getData("mouse/reportRate", recovery))
        if (!isFinite(stored) || stored < SliderMap.lodFirst || stored > SliderMap.lodLast) {
            var factory = Number(ui_View.getData("mouse/reportRate", true))
            console.log("LOD: stored position \"" + ui_View.getData("mouse/reportRate", recovery)
                        + "\" is not " + SliderMap.lodFirst + " … " + SliderMap.lodLast
                        + "; the factory one is shown")
            stored = factory
        }
        slider.value = SliderMap.clampLod(stored)
        keptValue = slider.value
        isSave = false
        if (send)
            save(true)
    }

    function save(send) {
        keptValue = slider.value
        ui_View.setData("mouse/reportRate", slider.value)
        if (send)
            ui_View.mouseSetReportRate(SliderMap.lodDeviceValue(slider.value))
    }

    function discard() {
        slider.value = keptValue
        ui_View.setData("mouse/reportRate", keptValue)
        isSave = false
    }

    implicitWidth: 232
    implicitHeight: 42
    Accessible.name: label

    UiText {
        anchors { left: parent.left; leftMargin: 14; verticalCenter: parent.verticalCenter }
        text: row.label
        // Says what the control beside it says already.
        Accessible.ignored: true
        color: root.colorGray3
        font.bold: true
    }
    DropSlider {
        id: slider
        objectName: "lodSlider"
        anchors { right: parent.right; rightMargin: 9; verticalCenter: parent.verticalCenter }
        label: row.label
        from: SliderMap.lodFirst
        to: SliderMap.lodLast
        trackWidth: 172
        text: root.millimetres(SliderMap.lodMillimetres(value))
        textOf: function (position) { return root.millimetres(SliderMap.lodMillimetres(position)) }
        onMoved: function (value) {
            ui_View.setData("mouse/reportRate", value)
            row.isSave = true
        }
    }
}
