import QtQuick
import "../basic"
import "../js/formats.js" as Formats
import "../js/slider_map.js" as SliderMap

// The DPI stages of the right panel: how many stages the DPI button steps through, the DPI
// value of each, and which stage the mouse uses now. Values are kept as the profile holds
// them; a slider the user moves gives its stage the value of its position. Nothing reaches
// the mouse before Save, except the choice of the stage in use, which is made at once.
Panel {
    id: page

    // 0 title, 1 "Stage", 2 number of stages, 3 stage in use, 4 unit, 5 lower limit,
    // 6 upper limit, 7 restore factory stages, 8-9 spare.
    property var texts: ["DPI Setting", "Stage", "Stages", "Current Stage", "DPI", "Min", "Max",
        "Restore Default", "", ""]
    property bool isSave: false
    // The stage in use, counted from 0 (-1: not known); the root keeps it.
    property int currentStage: -1

    // The sensor and its range, from the configuration; until the first load, the values
    // of a 3360 sensor.
    property int minDpi: 200
    property int maxDpi: 6000
    property int dpiBase: 50
    property string sensorType: "3360"
    // How many stages the mouse offers, how many are in use, and the value of each of the
    // eight stages.
    property int stageLimit: maxStages
    property int stageCount: 4
    property var values: [500, 1000, 1500, 2000, 3000, 4000, 5000, 6000]

    readonly property int maxStages: 8
    readonly property int rowHeight: 22
    readonly property int rowSpacing: 2

    signal stageChosen(int index)

    function closeDropDowns() {
        countList.close()
        for (var i = 0; i < maxStages; ++i)
            stageRows.itemAt(i).closeDropDowns()
    }

    // Loads the stages of the profile in use (of the factory profile with recovery) and,
    // if asked, stores and sends them.
    function init(send, recovery) {
        readSensor()
        stageLimit = profileNumber("mouse/dpiCount", recovery, 1, maxStages, maxStages)
        stageCount = profileNumber("mouse/currentDpiCount", recovery, 1, stageLimit, stageLimit)
        values = storedValues(recovery)
        placeSliders()
        isSave = false
        if (send)
            save(true)
    }

    function save(send) {
        ui_View.setDataList("mouse/dpiValueArray", values)
        ui_View.setData("mouse/currentDpiCount", stageCount)
        if (send)
            ui_View.mouseSetDpi(stageCount, sensorType, values)
    }

    // The factory stages, shown but neither stored nor sent before Save.
    function restoreDefaults() {
        init(false, true)
        isSave = true
    }

    function readSensor() {
        var min = globalNumber("mouse/minDPI")
        var max = globalNumber("mouse/maxDPI")
        var base = globalNumber("mouse/dpiBase")
        if (min === null || max === null || base === null || min < 0 || max <= min || base <= 0) {
            console.log("DPI: the configured range " + ui_View.getGlobalData("mouse/minDPI") + " … "
                        + ui_View.getGlobalData("mouse/maxDPI") + " in steps of "
                        + ui_View.getGlobalData("mouse/dpiBase") + " is not usable; "
                        + minDpi + " … " + maxDpi + " in steps of " + dpiBase + " is kept")
        } else {
            minDpi = min
            maxDpi = max
            dpiBase = base
        }
        var sensor = ui_View.getGlobalData("mouse/sensorType")
        if (sensor !== undefined && String(sensor) !== "")
            sensorType = String(sensor)
    }

    function globalNumber(key) {
        var n = Number(ui_View.getGlobalData(key))
        return Number.isInteger(n) ? n : null
    }

    // A whole number of the profile within low … high; a stored value that is not one gives
    // the factory value (or fallback), with a line on the console.
    function profileNumber(key, recovery, low, high, fallback) {
        var n = Number(ui_View.getData(key, recovery))
        if (Number.isInteger(n) && n >= low && n <= high)
            return n
        var factory = Number(ui_View.getData(key, true))
        var used = Number.isInteger(factory) && factory >= low && factory <= high ? factory : fallback
        console.log("DPI: " + key + " \"" + ui_View.getData(key, recovery) + "\" is not " + low
                    + " … " + high + "; " + used + " is used")
        return used
    }

    // The eight stored values; a missing or unusable one gives the factory value of its stage,
    // one outside minDpi … maxDpi the nearest end, which is stored at once (one line names
    // the key), so the mouse never gets a value beyond its sensor.
    function storedValues(recovery) {
        var stored = ui_View.getDataList("mouse/dpiValueArray", recovery)
        var factory = ui_View.getDataList("mouse/dpiValueArray", true)
        var result = []
        var outside = []
        for (var i = 0; i < maxStages; ++i) {
            var n = i < stored.length ? Number(stored[i]) : NaN
            if (!Number.isInteger(n) || n <= 0) {
                var f = i < factory.length ? Number(factory[i]) : NaN
                var used = Number.isInteger(f) && f > 0 ? f : values[i]
                console.log("DPI: stage " + (i + 1) + " value \"" + (i < stored.length ? stored[i] : "")
                            + "\" is not a DPI value; " + used + " is used")
                n = used
            }
            var bounded = Math.max(minDpi, Math.min(maxDpi, n))
            if (bounded !== n)
                outside.push("stage " + (i + 1) + " " + n + " as " + bounded)
            result.push(bounded)
        }
        if (outside.length > 0) {
            console.log("DPI: mouse/dpiValueArray holds values outside " + minDpi + " … " + maxDpi
                        + ": " + outside.join(", "))
            if (!recovery)
                ui_View.setDataList("mouse/dpiValueArray", result)
        }
        return result
    }

    function placeSliders() {
        for (var i = 0; i < maxStages; ++i)
            stageRows.itemAt(i).place(SliderMap.dpiPosition(values[i], minDpi, maxDpi))
    }

    function setValue(index, position) {
        var changed = values.slice()
        changed[index] = SliderMap.dpiValue(position, minDpi, maxDpi, dpiBase)
        values = changed
    }

    function chooseCount(count) {
        if (count === stageCount)
            return
        stageCount = count
        isSave = true
    }

    function countNames() {
        var names = []
        for (var n = 1; n <= stageLimit; ++n)
            names.push(String(n))
        return names
    }

    objectName: "dpiPage"
    width: 232
    height: headerHeight + 28 + stageCount * (rowHeight + rowSpacing) - rowSpacing + 10
    title: texts[0]
    tools: IconButton {
        objectName: "dpiReset"
        name: page.texts[7]
        source: root.image("index", "restore")
        onClicked: page.restoreDefaults()
    }

    Item {
        id: countRow
        anchors { left: parent.left; right: parent.right; top: parent.top; leftMargin: 12; rightMargin: 12 }
        height: page.rowHeight

        UiText {
            id: countLabel
            anchors { left: parent.left; verticalCenter: parent.verticalCenter }
            width: Math.min(implicitWidth, 70)
            text: page.texts[2]
            color: root.colorGray3
        }
        DropList {
            id: countList
            objectName: "dpiCountList"
            anchors { left: countLabel.right; leftMargin: 6; verticalCenter: parent.verticalCenter }
            width: 46
            height: page.rowHeight
            rowHeight: 22
            label: page.texts[2]
            model: page.countNames()
            currentIndex: page.stageCount - 1
            onChosen: function (index) { page.chooseCount(index + 1) }
        }
        UiText {
            objectName: "dpiCurrentStage"
            anchors { left: countList.right; leftMargin: 8; right: parent.right; verticalCenter: parent.verticalCenter }
            horizontalAlignment: Text.AlignRight
            text: page.currentStage >= 0 ? page.texts[3] + " " + (page.currentStage + 1) : ""
            color: root.colorGray2
            font.pixelSize: root.fontMinSize + 1
        }
    }

    Column {
        id: stageColumn
        anchors { left: parent.left; right: parent.right; top: countRow.bottom; topMargin: 6; leftMargin: 12; rightMargin: 12 }
        spacing: page.rowSpacing

        Repeater {
            id: stageRows
            model: page.maxStages

            Item {
                id: row
                required property int index
                readonly property bool inUse: index === page.currentStage
                readonly property string stageName: root.compose(Formats.Format.Stage, [index + 1])

                function place(position) {
                    slider.value = position
                }
                function closeDropDowns() {
                    slider.close()
                }

                width: parent.width
                height: page.rowHeight
                visible: index < page.stageCount

                Pressable {
                    id: stageButton
                    objectName: "dpiStage" + row.index
                    anchors { left: parent.left; verticalCenter: parent.verticalCenter }
                    width: 88
                    height: page.rowHeight
                    radius: 3
                    color: row.inUse ? root.colorBlue : stageArea.containsMouse ? root.colorGray1 : "transparent"
                    border.color: row.inUse ? Qt.lighter(root.colorBlue, 1.6) : "transparent"
                    Accessible.role: Accessible.RadioButton
                    Accessible.name: row.stageName
                    Accessible.checkable: true
                    Accessible.checked: row.inUse
                    Accessible.onPressAction: page.stageChosen(row.index)
                    onActivated: page.stageChosen(row.index)
                    // The stages are one Tab stop; the arrows move among them.
                    group: "stages"
                    groupRoot: stageColumn
                    chosen: row.inUse
                    Keys.onUpPressed: moveInGroup(false)
                    Keys.onDownPressed: moveInGroup(true)

                    Rectangle {
                        id: dot
                        anchors { left: parent.left; leftMargin: 7; verticalCenter: parent.verticalCenter }
                        width: 8
                        height: 8
                        radius: 4
                        color: row.inUse ? root.colorOrange : "transparent"
                        border.color: row.inUse ? root.fontColor : root.colorGray2
                    }
                    UiText {
                        anchors { left: dot.right; leftMargin: 7; right: parent.right; rightMargin: 4; verticalCenter: parent.verticalCenter }
                        text: row.stageName
                        color: row.inUse ? root.fontColor : root.colorGray3
                        font.bold: row.inUse
                        Accessible.ignored: true
                    }
                    MouseArea {
                        id: stageArea
                        anchors.fill: parent
                        hoverEnabled: true
                        cursorShape: Qt.PointingHandCursor
                        onClicked: page.stageChosen(row.index)
                    }
                }
                DropSlider {
                    id: slider
                    objectName: "dpiSlider" + row.index
                    anchors { right: parent.right; verticalCenter: parent.verticalCenter }
                    width: 112
                    height: page.rowHeight
                    from: SliderMap.dpiFirst
                    to: SliderMap.dpiLast
                    trackWidth: SliderMap.dpiSpan
                    label: row.stageName
                    text: page.values[row.index] + " " + page.texts[4]
                    textOf: function (position) {
                        return SliderMap.dpiValue(position, page.minDpi, page.maxDpi, page.dpiBase)
                                + " " + page.texts[4]
                    }
                    description: text + ", " + page.texts[5] + " " + page.minDpi + ", "
                                 + page.texts[6] + " " + page.maxDpi
                    onMoved: function (value) { page.setValue(row.index, value) }
                    onReleased: function (value) {
                        page.setValue(row.index, value)
                        page.isSave = true
                    }
                }
            }
        }
    }
}
