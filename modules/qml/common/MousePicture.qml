import QtQuick

// The mouse in the middle of the window.
Item {
    id: picture

    property int keyCount: 0

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
}
