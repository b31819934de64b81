import QtQuick
import "../basic"
import "../js/light_effects.js" as Effects

// The mouse in the middle of the window, seen from above (front view) and from its left side,
// with a numbered marker on each of its buttons 1 … keyCount. The drawings are pictures of the
// skin (mouse/front, mouse/side); the light of the strip and the palm emblem, and the glow of
// a button under the pointer or chosen, are painted over them here, on the same shapes.
//
// The light is one colour block, or block lightFrom blended towards block lightTo, at a
// level. Its glow is drawn once per block, the first time the block is lit, into a layer of
// its own, and only faded while an effect plays: a breathing or cycling light costs a change
// of opacity per frame, not a new drawing.
Item {
    id: picture

    property int keyCount: 0
    // The colour blocks the light takes its colour from, as "#rrggbb".
    property var lightColours: ["#ff2b2b"]
    property int lightFrom: 0
    property int lightTo: 0
    property real lightMix: 0
    // How bright the light is, 0 (off) … 1.
    property real lightLevel: 1.0
    // The colour the light shows.
    readonly property color lightColor: blend(lightFrom, lightTo, lightMix)
    property int hoveredButton: -1
    property int selectedButton: -1
    property string frontText: "Front View"
    property string sideText: "Side View"
    property string buttonText: "Button"
    // The function of each button, read out with its marker.
    property var functionTexts: []
    // The blocks lit so far, whose glow layers are drawn and kept.
    property var litBlocks: []

    // Where each button sits: the view (0 front, 1 side), the point of the marker, the point
    // on the button a leader line starts from (none: the marker sits on the button), and the
    // button's shape for its glow, in the view's own coordinates (those of its picture).
    readonly property var buttons: [
        { view: 0, at: [90, 112], shape: { path: "M128,11 C80,11 48,44 44,104 C42,120 43,132 45,142 C72,155 100,160 128,161 Z" } },
        { view: 0, at: [170, 112], shape: { path: "M132,11 C180,11 212,44 216,104 C218,120 217,132 215,142 C188,155 160,160 132,161 Z" } },
        { view: 0, at: [130, 81], shape: { rect: [121, 46, 18, 70, 9] } },
        { view: 1, at: [95, 51], shape: { rect: [72, 44, 46, 15, 7.5] } },
        { view: 1, at: [145, 48], shape: { rect: [122, 41, 46, 15, 7.5] } },
        { view: 0, at: [170, 172], from: [138, 179], shape: { rect: [122, 172, 16, 15, 6] } },
        { view: 0, at: [170, 204], from: [138, 198], shape: { rect: [122, 191, 16, 15, 6] } },
        { view: 0, at: [18, 72], from: [55, 84], shape: { rect: [55, 64, 11, 50, 5.5] } }
    ]
    // The light of each view: strips (stroked) and emblems (filled), and the box they glow in.
    readonly property var lights: [
        { strips: ["M56,300 C64,336 100,346 130,346 C160,346 196,336 204,300"],
          emblems: ["M130,242 L147,276 L130,266 L113,276 Z"],
          box: [30, 216, 200, 156] },
        { strips: ["M30,96 C90,99 190,99 250,95"], emblems: [], box: [4, 70, 272, 54] }
    ]

    signal markerHovered(int position)
    signal markerClicked(int position)

    // Where the marker of a position sits in the window. Buttons this drawing does not have
    // (models with more than eight) line up under the side view.
    function markerPoint(position) {
        var b = position < buttons.length ? buttons[position] : null
        var view = views[b ? b.view : 1]
        var p = b ? b.at : [40 + (position - buttons.length) * 30, 158]
        return Qt.point(view.x + p[0] * view.zoom, view.y + p[1] * view.zoom)
    }

    function lit(position) {
        return position === hoveredButton || position === selectedButton
    }

    onHoveredButtonChanged: repaint()
    onSelectedButtonChanged: repaint()
    onKeyCountChanged: repaint()
    onLightFromChanged: keepLit(lightFrom)
    onLightToChanged: keepLit(lightTo)

    function repaint() {
        for (var i = 0; i < viewRepeater.count; ++i)
            viewRepeater.itemAt(i).paint()
    }

    function blockColour(block) {
        var c = block >= 0 && block < lightColours.length ? lightColours[block] : "#000000"
        return Qt.color(c)
    }

    function blend(from, to, mix) {
        var a = blockColour(from)
        if (from === to)
            return a
        var b = blockColour(to)
        return Qt.rgba(a.r + (b.r - a.r) * mix, a.g + (b.g - a.g) * mix, a.b + (b.b - a.b) * mix, 1)
    }

    function keepLit(block) {
        if (litBlocks[block] === true)
            return
        var lit = litBlocks.slice()
        lit[block] = true
        litBlocks = lit
    }

    // How opaque a layer holding this block is: the lower block at what is left of the level
    // under the upper one.
    function layerOpacity(block) {
        if (block < 0)
            return 0
        var level = Math.max(0, Math.min(1, lightLevel))
        if (lightFrom === lightTo)
            return block === lightFrom ? level : 0
        var o = Effects.layerOpacities(level, Math.max(0, Math.min(1, lightMix)))
        return block === lightTo ? o.upper : (block === lightFrom ? o.lower : 0)
    }

    // The two views: picture, place in the window, size of the drawing and how much it is
    // enlarged, caption.
    readonly property var views: [
        { picture: "front", x: 252, y: 92, width: 260, height: 360, zoom: 1.12, caption: frontText },
        { picture: "side", x: 508, y: 326, width: 280, height: 130, zoom: 0.92, caption: sideText }
    ]

    function shapePath(ctx, shape) {
        ctx.beginPath()
        if (shape.rect) {
            var r = shape.rect
            ctx.roundedRect(r[0], r[1], r[2], r[3], r[4], r[4])
        } else {
            ctx.path = shape.path
        }
    }

    // The glow of one view's light in a colour at full level, in the light's box.
    function paintLight(ctx, viewIndex, zoom, colour) {
        var light = lights[viewIndex]
        ctx.reset()
        ctx.clearRect(0, 0, light.box[2] * zoom, light.box[3] * zoom)
        ctx.scale(zoom, zoom)
        ctx.translate(-light.box[0], -light.box[1])
        var c = colour
        var glow = Qt.rgba(c.r, c.g, c.b, 1)
        var core = Qt.rgba(c.r + (1 - c.r) * 0.55, c.g + (1 - c.g) * 0.55, c.b + (1 - c.b) * 0.55, 1)
        ctx.lineCap = "round"
        ctx.lineJoin = "round"
        ctx.shadowColor = glow
        ctx.shadowBlur = 12
        for (var s = 0; s < light.strips.length; ++s) {
            ctx.beginPath()
            ctx.path = light.strips[s]
            ctx.strokeStyle = glow
            ctx.lineWidth = 4
            ctx.stroke()
            ctx.shadowBlur = 0
            ctx.strokeStyle = core
            ctx.lineWidth = 1.4
            ctx.stroke()
            ctx.shadowBlur = 12
        }
        for (var e = 0; e < light.emblems.length; ++e) {
            ctx.beginPath()
            ctx.path = light.emblems[e]
            ctx.fillStyle = glow
            ctx.fill()
            ctx.shadowBlur = 0
            ctx.strokeStyle = core
            ctx.lineWidth = 1
            ctx.stroke()
            ctx.shadowBlur = 12
        }
    }

    // The glow of lit buttons and the leader lines of one view.
    function paintButtons(ctx, viewIndex, width, height, zoom) {
        ctx.reset()
        ctx.clearRect(0, 0, width, height)
        ctx.scale(zoom, zoom)
        var orange = root.colorOrange
        for (var i = 0; i < Math.min(keyCount, buttons.length); ++i) {
            var b = buttons[i]
            if (b.view !== viewIndex)
                continue
            var on = lit(i)
            if (b.from) {
                ctx.save()
                ctx.strokeStyle = on ? "#ff5a4a" : Qt.rgba(0.59, 0.59, 0.59, 0.55)
                ctx.lineWidth = 1
                ctx.beginPath()
                ctx.moveTo(b.from[0], b.from[1])
                ctx.lineTo(b.at[0], b.at[1])
                ctx.stroke()
                ctx.fillStyle = ctx.strokeStyle
                ctx.beginPath()
                ctx.arc(b.from[0], b.from[1], 2, 0, Math.PI * 2)
                ctx.fill()
                ctx.restore()
            }
            if (on) {
                ctx.save()
                shapePath(ctx, b.shape)
                ctx.fillStyle = Qt.rgba(orange.r, orange.g, orange.b, 0.35)
                ctx.shadowColor = "#ff3a2a"
                ctx.shadowBlur = 10
                ctx.fill()
                ctx.shadowBlur = 0
                ctx.strokeStyle = "#ff5a4a"
                ctx.lineWidth = 1.5
                ctx.stroke()
                ctx.restore()
            }
        }
    }

    Component.onCompleted: {
        keepLit(lightFrom)
        keepLit(lightTo)
    }

    Repeater {
        id: viewRepeater
        model: picture.views
        Item {
            id: view
            required property int index
            required property var modelData
            x: modelData.x
            y: modelData.y
            width: modelData.width * modelData.zoom
            height: modelData.height * modelData.zoom

            function paint() {
                overlay.requestPaint()
            }

            Image {
                source: root.image("mouse", view.modelData.picture)
                sourceSize: Qt.size(view.width, view.height)
                smooth: true
                Accessible.role: Accessible.Graphic
                Accessible.name: view.modelData.caption
            }
            Repeater {
                model: picture.lightColours.length
                Loader {
                    id: glowLayer
                    required property int index
                    readonly property var box: picture.lights[view.index].box
                    active: picture.litBlocks[index] === true
                    x: box[0] * view.modelData.zoom
                    y: box[1] * view.modelData.zoom
                    width: box[2] * view.modelData.zoom
                    height: box[3] * view.modelData.zoom
                    visible: opacity > 0
                    opacity: picture.layerOpacity(index)
                    z: index === picture.lightTo && picture.lightFrom !== picture.lightTo ? 1 : 0
                    sourceComponent: Canvas {
                        readonly property color colour: picture.blockColour(glowLayer.index)
                        width: glowLayer.width
                        height: glowLayer.height
                        onColourChanged: requestPaint()
                        onAvailableChanged: requestPaint()
                        onWidthChanged: requestPaint()
                        onPaint: picture.paintLight(getContext("2d"), view.index, view.modelData.zoom, colour)
                    }
                }
            }
            Canvas {
                id: overlay
                anchors.fill: parent
                z: 2
                onPaint: picture.paintButtons(getContext("2d"), view.index, width, height, view.modelData.zoom)
            }
            UiText {
                anchors { horizontalCenter: parent.horizontalCenter; top: parent.bottom; topMargin: 6 }
                text: root.capitals(view.modelData.caption)
                Accessible.name: view.modelData.caption
                color: root.colorGray2
                font.pixelSize: root.fontMinSize + 1
                font.letterSpacing: root.titleSpacing(1.5)
            }
        }
    }

    Repeater {
        model: Math.max(0, Math.min(16, picture.keyCount))
        Pressable {
            id: marker
            required property int index
            readonly property bool lit: picture.lit(index)
            readonly property point centre: picture.markerPoint(index)
            objectName: "mouseMarker" + (index + 1)
            x: centre.x - width / 2
            y: centre.y - height / 2
            width: 22
            height: 22
            radius: 11
            scale: lit ? 1.15 : 1.0
            color: lit ? root.colorOrange : Qt.rgba(0.07, 0.07, 0.08, 0.92)
            border.color: lit ? "#ffb0a8" : (area.containsMouse ? root.colorGray3 : root.colorGray2)
            border.width: 1.5
            Accessible.role: Accessible.Button
            Accessible.name: root.accessTexts[4] + " " + (index + 1)
            Accessible.description: index < picture.functionTexts.length ? String(picture.functionTexts[index]) : ""
            Accessible.onPressAction: picture.markerClicked(index)
            group: "markers"
            onActivated: picture.markerClicked(index)
            Keys.onLeftPressed: moveInGroup(false)
            Keys.onUpPressed: moveInGroup(false)
            Keys.onRightPressed: moveInGroup(true)
            Keys.onDownPressed: moveInGroup(true)

            Behavior on scale { NumberAnimation { duration: 120 } }

            Rectangle {
                anchors.centerIn: parent
                width: parent.width + 10
                height: parent.height + 10
                radius: width / 2
                color: "transparent"
                border.color: root.colorOrange
                border.width: 2
                opacity: marker.lit ? 0.6 : 0
                Behavior on opacity { NumberAnimation { duration: 150 } }
            }
            UiText {
                anchors.centerIn: parent
                text: String(marker.index + 1)
                font.pixelSize: root.fontMinSize + 1
                font.bold: true
                horizontalAlignment: Text.AlignHCenter
                Accessible.ignored: true
            }
            MouseArea {
                id: area
                anchors.fill: parent
                anchors.margins: -3
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onContainsMouseChanged: {
                    if (containsMouse)
                        picture.markerHovered(marker.index)
                    else if (picture.hoveredButton === marker.index)
                        picture.markerHovered(-1)
                }
                onClicked: picture.markerClicked(marker.index)
            }
        }
    }
}
