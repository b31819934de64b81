import QtQuick

// The mouse in the middle of the window. Its light strip and logo shine in lightColor at
// lightLevel (0 dark … 1 full).
Item {
    id: picture

    property int keyCount: 0
    property color lightColor: "#ff0000"
    property real lightLevel: 1

    onLightColorChanged: light.requestPaint()
    onLightLevelChanged: light.requestPaint()

    Image {
        id: mouseImage
        x: 512 - width / 2
        y: 348 - height / 2
        source: "qrc:/modules/img/mouse.svg"
        sourceSize: Qt.size(300, 440)
        smooth: true
        Accessible.role: Accessible.Graphic
        Accessible.name: "Mouse"
    }
    // The strip and the logo of the drawing, painted over in the light's colour: dark first,
    // then the colour at its level, with a glow.
    Canvas {
        id: light
        objectName: "mouseLight"
        readonly property point origin: Qt.point(60, 250)
        x: mouseImage.x + origin.x
        y: mouseImage.y + origin.y
        width: 180
        height: 150

        function strokeLight(ctx) {
            ctx.beginPath()
            ctx.moveTo(70, 330)
            ctx.bezierCurveTo(100, 392, 200, 392, 230, 330)
            ctx.lineWidth = 6
            ctx.stroke()
            ctx.beginPath()
            ctx.moveTo(150, 262)
            ctx.lineTo(170, 296)
            ctx.lineTo(150, 330)
            ctx.lineTo(130, 296)
            ctx.closePath()
            ctx.lineWidth = 4
            ctx.stroke()
        }

        onPaint: {
            var ctx = getContext("2d")
            ctx.reset()
            ctx.translate(-origin.x, -origin.y)
            ctx.lineCap = "round"
            ctx.lineJoin = "round"
            ctx.strokeStyle = "#1b1c21"
            strokeLight(ctx)
            var level = Math.max(0, Math.min(1, picture.lightLevel))
            if (level > 0) {
                ctx.globalAlpha = level
                ctx.strokeStyle = picture.lightColor
                ctx.shadowColor = picture.lightColor
                ctx.shadowBlur = 10
                strokeLight(ctx)
            }
        }
    }
}
