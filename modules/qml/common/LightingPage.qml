import QtQuick
import "../basic"
import "../js/hue_bar.js" as Hue
import "../js/light_effects.js" as Effects

// The lighting of the right panel: the effect with its speed and brightness, and eight
// colours picked on a hue bar or typed as R, G, B. Nothing reaches the mouse before Save;
// meanwhile the mouse picture plays the chosen effect in the chosen colours (previewColor,
// previewLevel).
Panel {
    id: page

    // 0 title, 1-4 effects Static … OFF, 5 "Speed", 6 "Color", 7 "Brightness", 8-14 the
    // multi-colour effects, 15 "Breath Loop", 16 restore the factory lighting, 17-19 the
    // colour fields' names (red, green, blue).
    property var texts: ["Light", "Static", "Breath", "Neon", "OFF", "Speed", "Color", "Brightness",
        "Twinkling", "Wave", "Gliding", "Finger Moving", "Vertical Flipping", "YO-YO", "Spotlight",
        "Breath Loop", "Restore Default", "Red", "Green", "Blue"]
    property bool isSave: false

    property int effect: 0
    property int speed: 0
    property int brightness: 4
    // Block 1 … 8 as "#rrggbb".
    property var colours: ["#ff0000", "#ff8000", "#ffff00", "#00ff00", "#00ffff", "#0000ff",
        "#8000ff", "#ffffff"]
    property int selectedBlock: 0
    // The sliders the effect uses.
    readonly property bool speedShown: Effects.sliders(effect, root.is55328).speed
    readonly property bool brightnessShown: Effects.sliders(effect, root.is55328).brightness
    // The multi-colour (and 55328) effects join the list at the first load of the run.
    property bool fullList: false
    readonly property var effectNames: Effects.effectNames(texts, fullList && root.isColorful,
                                                           fullList && root.is55328)

    // The light strip of the mouse picture, playing the effect before it is saved: block
    // previewFrom blended towards block previewTo by previewMix, at previewLevel.
    property int previewFrom: 0
    property int previewTo: 0
    property real previewMix: 0
    property real previewLevel: 1
    property real previewStart: 0
    readonly property string previewKind: Effects.previewKind(effect, root.is55328)

    readonly property int sliderRow: Effects.sliderHeight

    function closeDropDowns() {
        effectList.close()
        speedRow.closeDropDowns()
        brightnessRow.closeDropDowns()
    }

    // Loads the lighting of the profile in use (of the factory profile with recovery) and,
    // if asked, stores and sends it.
    function init(send, recovery) {
        if (!root.isPownOn)
            fullList = true
        var light = storedLight(recovery)
        effect = light[0]
        speed = light[1]
        brightness = light[2]
        colours = storedColours(recovery)
        selectBlock(0)
        restartPreview()
        isSave = false
        if (send)
            save(true)
    }

    function save(send) {
        ui_View.setDataList("mouse/lightValue", [effect, speed, brightness])
        // A 55328 mouse uses colour 8 only in the effect at index 4.
        if (root.is55328 && effect !== Effects.fourthEffect)
            setBlock(7, "#000000")
        var numbers = []
        for (var i = 0; i < colours.length; ++i)
            numbers = numbers.concat(Hue.channels(colours[i]))
        ui_View.setDataList("mouse/colorValue", numbers)
        if (send) {
            ui_View.mouseSetRGBEffect(effect, speed, brightness)
            ui_View.mouseSetRGBColor(root.isColorful ? 0 : 1, numbers)
        }
    }

    // The factory lighting, shown but neither stored nor sent before Save.
    function restoreDefaults() {
        init(false, true)
        isSave = true
    }

    // (effect, speed, brightness) of the profile; a value out of its range gives the factory
    // one, with a line on the console.
    function storedLight(recovery) {
        var stored = ui_View.getDataList("mouse/lightValue", recovery)
        var factory = ui_View.getDataList("mouse/lightValue", true)
        var names = ["effect", "speed", "brightness"]
        var limits = [effectNames.length - 1, Effects.lastPosition, Effects.lastPosition]
        var result = []
        for (var i = 0; i < 3; ++i) {
            var n = i < stored.length ? Number(stored[i]) : NaN
            if (!Number.isInteger(n) || n < 0 || n > limits[i]) {
                var f = i < factory.length ? Number(factory[i]) : NaN
                var used = Number.isInteger(f) && f >= 0 && f <= limits[i] ? f : [0, 0, 4][i]
                console.log("Lighting: stored " + names[i] + " \"" + (i < stored.length ? stored[i] : "")
                            + "\" is not 0 … " + limits[i] + "; " + used + " is used")
                n = used
            }
            result.push(n)
        }
        return result
    }

    // The eight colour texts of the profile; a list that is not 24 numbers 0 … 255 gives the
    // factory colours, with a line on the console.
    function storedColours(recovery) {
        var numbers = validColours(ui_View.getDataList("mouse/colorValue", recovery))
        if (numbers === null) {
            console.log("Lighting: the stored colours are not 24 numbers 0 … 255; the factory colours are used")
            numbers = validColours(ui_View.getDataList("mouse/colorValue", true))
        }
        if (numbers === null)
            return colours
        var result = []
        for (var i = 0; i < 24; i += 3)
            result.push(Hue.colourText(numbers[i], numbers[i + 1], numbers[i + 2]))
        return result
    }

    function validColours(list) {
        if (!list || list.length !== 24)
            return null
        var numbers = []
        for (var i = 0; i < 24; ++i) {
            var n = Number(list[i])
            if (!Number.isInteger(n) || n < 0 || n > 255)
                return null
            numbers.push(n)
        }
        return numbers
    }

    function chooseEffect(index) {
        effect = index
        var preset = Effects.preset(index, root.is55328)
        if (preset.speed !== undefined)
            speed = preset.speed
        if (preset.brightness !== undefined)
            brightness = preset.brightness
        selectBlock(0)
        restartPreview()
        isSave = true
    }

    function setBlock(index, text) {
        var changed = colours.slice()
        changed[index] = text
        colours = changed
    }

    // What a screen reader says of block index: its number and channels, in the window's
    // language.
    function blockText(index, colour) {
        var c = Hue.channels(String(colour))
        var words = root.accessTexts[7] !== "" ? root.accessTexts[7] : "Colour %1: red %2, green %3, blue %4"
        var values = [index + 1, c[0], c[1], c[2]]
        for (var i = 0; i < values.length; ++i)
            words = words.split("%" + (i + 1)).join(String(values[i]))
        return words
    }

    // The block the hue bar and the R, G, B fields edit; the marker goes to its colour.
    function selectBlock(index) {
        selectedBlock = index
        var c = Hue.channels(colours[index])
        hueBar.placeOn(c[0], c[1], c[2])
        showChannels()
    }

    // R, G or B typed: the selected block takes the three numbers as its colour, and the
    // marker goes to it.
    function typeColour() {
        var c = [redField.value, greenField.value, blueField.value]
        setBlock(selectedBlock, Hue.colourText(c[0], c[1], c[2]))
        hueBar.placeOn(c[0], c[1], c[2])
        isSave = true
    }

    // The fields show the selected block's colour (a field being typed into keeps its text).
    function showChannels() {
        var c = Hue.channels(colours[selectedBlock])
        var fields = [redField, greenField, blueField]
        for (var i = 0; i < 3; ++i)
            fields[i].value = c[i]
    }

    function restartPreview() {
        previewStart = Date.now()
        updatePreview()
    }

    function updatePreview() {
        var state = Effects.previewBlocksAt(effect, { colorful: root.isColorful, is55328: root.is55328 },
                                            Date.now() - previewStart, colours.length, speed,
                                            brightness)
        previewFrom = state.from
        previewTo = state.to
        previewMix = state.mix
        previewLevel = state.level
    }

    objectName: "lightingPage"
    width: 232
    height: Effects.pageHeight(effect, root.is55328)
    title: texts[0]
    tools: IconButton {
        objectName: "lightingReset"
        name: page.texts[16]
        source: root.image("index", "restore")
        onClicked: page.restoreDefaults()
    }

    onColoursChanged: {
        showChannels()
        updatePreview()
    }
    onSpeedChanged: updatePreview()
    onBrightnessChanged: updatePreview()

    component LevelRow: Item {
        id: levelRow

        property string label: ""
        property string sliderName: ""
        property int value: 0

        signal moved(int value)

        function closeDropDowns() {
            levelSlider.close()
        }

        width: parent ? parent.width : 0
        height: page.sliderRow
        // The slider moves its own handle; a value set from outside moves it too.
        onValueChanged: levelSlider.value = value

        UiText {
            anchors { left: parent.left; right: levelSlider.left; rightMargin: 8; top: parent.top; topMargin: 4 }
            height: 24
            text: levelRow.label
            // Says what the control beside it says already.
            Accessible.ignored: true
            color: root.colorGray3
        }
        DropSlider {
            id: levelSlider
            objectName: levelRow.sliderName
            anchors { right: parent.right; top: parent.top; topMargin: 4 }
            width: 104
            height: 24
            from: 0
            to: Effects.lastPosition
            trackWidth: 160
            label: levelRow.label
            value: levelRow.value
            text: levelRow.value + " / " + Effects.lastPosition
            onMoved: function (value) { levelRow.moved(value) }
        }
    }

    component ChannelField: Row {
        id: channelField

        property string channel: ""
        // What a screen reader calls the field ("Red").
        property string name: channel
        property alias value: numberField.value

        spacing: 4

        UiText {
            width: 12
            height: 22
            text: channelField.channel
            // Says what the control beside it says already.
            Accessible.ignored: true
            color: root.colorGray2
            horizontalAlignment: Text.AlignRight
        }
        NumberField {
            id: numberField
            objectName: "light" + channelField.channel + "Field"
            width: 44
            height: 22
            name: channelField.name
            minimum: 0
            maximum: 255
            onAccepted: page.typeColour()
        }
    }

    // 20 frames a second are plenty for a light that breathes in a second or more; nobody
    // sees the preview of a hidden page or window, so the timer sleeps then.
    Timer {
        objectName: "lightPreviewTimer"
        interval: 50
        repeat: true
        triggeredOnStart: true
        running: page.visible && root.windowShown && page.previewKind !== "steady"
                 && page.previewKind !== "off"
        onTriggered: page.updatePreview()
    }

    Column {
        anchors { left: parent.left; right: parent.right; top: parent.top; leftMargin: 12; rightMargin: 12 }

        DropList {
            id: effectList
            objectName: "lightEffectList"
            width: parent.width
            height: 24
            label: page.texts[0]
            model: page.effectNames
            currentIndex: page.effect
            onChosen: function (index) { page.chooseEffect(index) }
        }
        Item { width: 1; height: 4 }
        LevelRow {
            id: speedRow
            objectName: "lightSpeedRow"
            visible: page.speedShown
            label: page.texts[5]
            value: page.speed
            sliderName: "lightSpeedSlider"
            onMoved: function (value) {
                page.speed = value
                page.isSave = true
            }
        }
        LevelRow {
            id: brightnessRow
            objectName: "lightBrightnessRow"
            visible: page.brightnessShown
            label: page.texts[7]
            value: page.brightness
            sliderName: "lightBrightnessSlider"
            onMoved: function (value) {
                page.brightness = value
                page.isSave = true
            }
        }
        // Sliders, when there are any, stand a little apart from the colours.
        Item { width: 1; height: page.speedShown || page.brightnessShown ? 12 : 4 }
        UiText {
            width: parent.width
            height: 16
            text: page.texts[6]
            // Says what the control beside it says already.
            Accessible.ignored: true
            color: root.colorGray3
        }
        Item { width: 1; height: 6 }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 4
            Repeater {
                model: 8
                ColorBlock {
                    required property int index
                    objectName: "lightBlock" + index
                    width: 22
                    height: 22
                    name: page.texts[6] + " " + (index + 1)
                    colourText: page.blockText(index, page.colours[index])
                    color: page.colours[index]
                    selected: index === page.selectedBlock
                    onClicked: page.selectBlock(index)
                }
            }
        }
        Item { width: 1; height: 12 }
        HueBar {
            id: hueBar
            objectName: "hueBar"
            x: 4
            width: 200
            height: 12
            name: page.texts[6]
            degreesText: root.accessTexts[8] !== "" ? root.accessTexts[8] : "%1 degrees"
            onPicked: function (r, g, b) {
                page.setBlock(page.selectedBlock, Hue.colourText(r, g, b))
            }
            onReleased: page.isSave = true
        }
        Item { width: 1; height: 12 }
        Row {
            x: 4
            spacing: 12
            ChannelField { id: redField; channel: "R"; name: page.texts[17] }
            ChannelField { id: greenField; channel: "G"; name: page.texts[18] }
            ChannelField { id: blueField; channel: "B"; name: page.texts[19] }
        }
    }
}
