import QtQuick
import "common"

// The root of the scene. It stays invisible until the program calls initUI() for a connected
// device; the native side reaches it only through the functions below, and the scene reaches
// the native side only through ui_View, ui_Ctl and hid, which exist once loading is done.
Item {
    id: root
    width: 1024
    height: 640
    visible: false

    // Device facts and state, filled at the first initUI().
    property bool isPownOn: false
    property string icType: "553"
    property bool isColorful: false
    property bool isGun: true
    property bool is55328: false
    property string deviceName: ""
    property int profileNo: 0
    property int currentStage: -1          // 0-based; -1 when the device did not say
    property var dpiValues: []
    property int dpiCount: 0

    // Texts of the interface: the language code and, per section, the list the language file
    // gives. Reading section "other" also hands the device notifications their texts.
    property string language: "ChineseSimplified"
    property string url: ""
    property var langTexts: ({})
    readonly property var langSections: ["main", "keyMatrix", "keyAssigment", "dpiSetting",
        "lightControl", "macroEditor", "systemSetting", "gunControl", "profile", "keyCode", "other"]

    // Look shared by every page.
    property string fontFamily: "DejaVu Sans"
    property int fontMinSize: 10
    property int fontNormalSize: 12
    property int fontMiddleSize: 14
    property int fontMaxSize: 16
    property color fontColor: "#ffffff"
    property color colorGray0: "#1a1a1a"
    property color colorGray1: "#3c3c3c"
    property color colorGray2: "#969696"
    property color colorGray3: "#d1d1d1"
    property color colorBlue: "#09347f"
    property color colorOrange: "#b20808"
    property color colorBlack: "#000000"

    signal msg_KB(bool isDown, int usbCode)
    signal msg_MS(bool isDown, int code, int x, int y)
    signal emptyAreaPressed()

    // --- called by the program --------------------------------------------------------

    function initUI() {
        setProtectUI(1000)
        root.visible = true
        if (!isPownOn) {
            readDeviceFacts()
            loadLanguage()
            if (icType === "560" && Number(ui_View.mouseReadCurrentProfile()) !== 1)
                hid.hid560_02H_SetCurrentProfile(1)
            profileNo = Number(ui_View.getGlobalData("mouse/profileNo")) || 0
            ui_View.setCurrentProfile(profileNo)
            loadDpiStages()
            isPownOn = true
        }
        currentStage = Number(ui_View.mouseGetCurrentDPI()) - 1
    }

    function run() {
    }

    function detectKeyboard(isDown, usbCode) {
        msg_KB(isDown, usbCode)
    }

    function detectMouse(isDown, code, x, y) {
        msg_MS(isDown, code, x, y)
    }

    // Locks the whole view for interval ms behind the busy indicator; 0 unlocks at once.
    function setProtectUI(interval) {
        protectTimer.stop()
        if (interval <= 0) {
            unlock()
            return
        }
        loading.running = true
        ui_View.setEnabled(false)
        protectTimer.interval = interval
        protectTimer.start()
    }

    function setCurrentDPI(dpiValue) {
        if (dpiValue !== 0)
            currentStage = dpiValue - 1
    }

    // --- the scene's own work ------------------------------------------------------------

    function flag(key) {
        return String(ui_View.getGlobalData(key)) === "true"
    }

    function readDeviceFacts() {
        isColorful = flag("mouse/isColorful")
        isGun = flag("mouse/isGun")
        is55328 = flag("mouse/is55328")
        icType = String(ui_View.getGlobalData("mouse/icType"))
        deviceName = String(ui_View.getGlobalData("common/name") || "")
    }

    function loadLanguage() {
        var code = ui_View.getGlobalData("common/language")
        if (code !== undefined && String(code) !== "")
            language = String(code)
        url = String(ui_View.getGlobalData("common/url") || "")
        var texts = {}
        for (var i = 0; i < langSections.length; ++i)
            texts[langSections[i]] = ui_View.getLangStrings(langSections[i], language)
        langTexts = texts
    }

    function loadDpiStages() {
        var values = ui_View.getDataList("mouse/dpiValueArray", false)
        var list = []
        for (var i = 0; i < values.length && i < 8; ++i)
            list.push(Number(values[i]))
        dpiValues = list
        dpiCount = Math.min(list.length, Number(ui_View.getData("mouse/currentDpiCount", false)) || list.length)
    }

    function unlock() {
        ui_View.setEnabled(true)
        loading.running = false
        if (powerOnLogo.visible) {
            powerOnLogo.visible = false
            mainScreen.visible = true
        }
    }

    Timer {
        id: protectTimer
        repeat: false
        interval: 1000
        onTriggered: root.unlock()
    }

    // Dragging any empty area moves the frameless window.
    MouseArea {
        anchors.fill: parent
        property point pressPoint
        onPressed: function (mouse) {
            pressPoint = Qt.point(mouse.x, mouse.y)
            root.emptyAreaPressed()
        }
        onPositionChanged: function (mouse) {
            ui_Ctl.onXChanged(mouse.x - pressPoint.x)
            ui_Ctl.onYChanged(mouse.y - pressPoint.y)
        }
    }

    Rectangle {
        id: frame
        anchors.fill: parent
        radius: 14
        border.color: root.colorGray1
        border.width: 1
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#25272d" }
            GradientStop { position: 1.0; color: "#121316" }
        }
    }

    Image {
        id: powerOnLogo
        anchors.centerIn: parent
        source: "qrc:/modules/img/logo.svg"
        sourceSize: Qt.size(160, 160)
    }

    Item {
        id: mainScreen
        anchors.fill: parent
        visible: false

        TitleBar {
            id: titleBar
            anchors { left: parent.left; right: parent.right; top: parent.top }
            title: root.deviceName
            onMinimizeClicked: ui_Ctl.onMinimize()
            onCloseClicked: ui_Ctl.onClose()
        }

        StatusPanel {
            anchors { left: parent.left; top: titleBar.bottom; leftMargin: 24; topMargin: 24 }
            family: root.icType
            colorful: root.isColorful
            gun: root.isGun
            profile: root.profileNo
        }

        Image {
            id: mouseImage
            anchors { horizontalCenter: parent.horizontalCenter; verticalCenter: parent.verticalCenter; verticalCenterOffset: 24 }
            source: "qrc:/modules/img/mouse.svg"
            sourceSize: Qt.size(300, 440)
            smooth: true
        }

        DpiPanel {
            anchors { right: parent.right; top: titleBar.bottom; rightMargin: 24; topMargin: 24 }
            values: root.dpiValues
            count: root.dpiCount
            current: root.currentStage
        }
    }

    LoadingIndicator {
        id: loading
        anchors.centerIn: parent
        z: 99
    }
}
