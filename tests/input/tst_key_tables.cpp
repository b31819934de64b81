#include "key_tables.h"
#include "linux_key_map.h"

#include <QSet>
#include <QtTest>

using KeyTables::KeyTranslator;

namespace {

// Linux input codes of keys that Windows reports with scan codes the table does not translate.
const QSet<uint> kUntranslatedLinuxCodes = {
    126,                                          // KEY_RIGHTMETA
    183, 184, 185, 186, 187, 188, 189, 190, 191,  // KEY_F13 … KEY_F21
    192,                                          // KEY_F22
    194,                                          // KEY_F24
};

uchar usbForLinuxCode(const KeyTranslator &translator, uint linuxCode)
{
    const LinuxKeyMap::ScanCode key = LinuxKeyMap::scanCodeFor(linuxCode);
    return key.scan ? translator.usb(key.scan, key.extended, false) : 0;
}

}  // namespace

class TestKeyTables : public QObject
{
    Q_OBJECT

private slots:
    void scanCodes_data();
    void scanCodes();
    void tableSizes();
    void virtualKeysOutsideScanTable_data();
    void virtualKeysOutsideScanTable();
    void linuxCodes_data();
    void linuxCodes();
    void linuxMapCoversTable();
    void qtKeys_data();
    void qtKeys();
    void mouseButtons_data();
    void mouseButtons();
    void xButtons_data();
    void xButtons();
};

void TestKeyTables::scanCodes_data()
{
    QTest::addColumn<uint>("scan");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<bool>("alt");
    QTest::addColumn<bool>("iso");
    QTest::addColumn<int>("usb");

    QTest::newRow("Enter") << 0x1Cu << false << false << false << 0x28;
    QTest::newRow("Keypad Enter") << 0x1Cu << true << false << false << 0x58;
    QTest::newRow("Left Ctrl") << 0x1Du << false << false << false << 0xE0;
    QTest::newRow("Right Ctrl") << 0x1Du << true << false << false << 0xE4;
    QTest::newRow("Print Screen") << 0x37u << true << false << false << 0x46;
    QTest::newRow("Print Screen with Alt") << 0x54u << false << true << false << 0x46;
    QTest::newRow("scan 54 without Alt") << 0x54u << false << false << false << 0;
    QTest::newRow("Keypad multiply") << 0x37u << false << false << false << 0x55;
    QTest::newRow("Ctrl+Break") << 0x46u << true << false << false << 0x48;
    QTest::newRow("Scroll Lock") << 0x46u << false << false << false << 0x47;
    QTest::newRow("Pause") << 0x45u << false << false << false << 0x48;
    QTest::newRow("Num Lock") << 0x45u << true << false << false << 0x53;
    QTest::newRow("Backslash") << 0x2Bu << false << false << false << 0x31;
    QTest::newRow("Backslash, ISO") << 0x2Bu << false << false << true << 0x32;
    QTest::newRow("Right Shift") << 0x36u << true << false << false << 0xE5;
    QTest::newRow("scan 36 not extended") << 0x36u << false << false << false << 0;
    QTest::newRow("Left Windows") << 0x5Bu << true << false << false << 0xE3;
    QTest::newRow("Right Windows") << 0x5Cu << true << false << false << 0;
    QTest::newRow("Menu") << 0x5Du << true << false << false << 0x65;
    QTest::newRow("102nd key") << 0x56u << false << false << false << 0x64;
    QTest::newRow("F13") << 0x64u << false << false << false << 0;
    QTest::newRow("F22") << 0x6Du << false << false << false << 0;
    QTest::newRow("F23") << 0x6Eu << false << false << false << 0x72;
    QTest::newRow("F24") << 0x76u << false << false << false << 0;
    QTest::newRow("A with Alt") << 0x1Eu << false << true << false << 0x04;
    QTest::newRow("Delete") << 0x53u << true << false << false << 0x4C;
    QTest::newRow("scan 0") << 0x00u << false << false << false << 0;
    // Above 255 the scan code counts as 0: its low byte must not pass for another key.
    QTest::newRow("scan 11E (low byte A)") << 0x11Eu << false << false << false << 0;
    QTest::newRow("scan 146 extended") << 0x146u << true << false << false << 0;
    QTest::newRow("scan 154 with Alt") << 0x154u << false << true << false << 0;
    QTest::newRow("scan FFFFFFFF") << 0xFFFFFFFFu << true << true << false << 0;
}

void TestKeyTables::scanCodes()
{
    QFETCH(uint, scan);
    QFETCH(bool, extended);
    QFETCH(bool, alt);
    QFETCH(bool, iso);
    QFETCH(int, usb);

    KeyTranslator translator;
    translator.fill(iso);
    QCOMPARE(int(translator.usb(scan, extended, alt)), usb);
}

void TestKeyTables::tableSizes()
{
    for (bool iso : {false, true}) {
        KeyTranslator translator;
        translator.fill(iso);
        QCOMPARE(translator.scanEntryCount(), 105);
        QCOMPARE(translator.virtualKeyEntryCount(), 121);
        // Every virtual key the scan table produces has a USB key code.
        for (const KeyTables::ScanEntry &e : KeyTables::kScanToVirtualKey) {
            QCOMPARE(translator.virtualKey(e.key >> 8, e.key & 1, false), e.virtualKey);
            QVERIFY2(translator.usbForVirtualKey(e.virtualKey) != 0,
                qPrintable(QString::number(e.key, 16)));
        }
    }
    // Filling again starts from empty tables.
    KeyTranslator translator;
    translator.fill(true);
    translator.fill(false);
    QCOMPARE(int(translator.usbForVirtualKey(KeyTables::kVkBackslash)), 0x31);
    QCOMPARE(translator.virtualKeyEntryCount(), 121);
}

void TestKeyTables::virtualKeysOutsideScanTable_data()
{
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<int>("usb");

    QTest::newRow("Right Windows") << 0x5C << 0xE7;
    for (int i = 0; i < 10; ++i)
        QTest::addRow("F%d", 13 + i) << 0x7C + i << 0x68 + i;
    QTest::newRow("F24") << 0x87 << 0x73;
    QTest::newRow("C1") << 0xC1 << 0x87;
    QTest::newRow("C2") << 0xC2 << 0x85;
    QTest::newRow("EB") << 0xEB << 0x8B;
    QTest::newRow("FF") << 0xFF << 0x66;
    QTest::newRow("Keypad Enter (0E)") << 0x0E << 0x58;
    QTest::newRow("F23 (86)") << 0x86 << 0x72;
    QTest::newRow("not a key (07)") << 0x07 << 0;
    QTest::newRow("Left Shift (A0)") << 0xA0 << 0xE1;
    QTest::newRow("generic Shift (10)") << 0x10 << 0;
}

void TestKeyTables::virtualKeysOutsideScanTable()
{
    QFETCH(int, virtualKey);
    QFETCH(int, usb);

    KeyTranslator translator;
    translator.fill(false);
    QCOMPARE(int(translator.usbForVirtualKey(uchar(virtualKey))), usb);
}

void TestKeyTables::linuxCodes_data()
{
    QTest::addColumn<uint>("linuxCode");
    QTest::addColumn<int>("usb");

    QTest::newRow("KEY_A") << 30u << 0x04;
    QTest::newRow("KEY_ENTER") << 28u << 0x28;
    QTest::newRow("KEY_KPENTER") << 96u << 0x58;
    QTest::newRow("KEY_LEFTCTRL") << 29u << 0xE0;
    QTest::newRow("KEY_RIGHTCTRL") << 97u << 0xE4;
    QTest::newRow("KEY_SYSRQ") << 99u << 0x46;
    QTest::newRow("KEY_KPASTERISK") << 55u << 0x55;
    QTest::newRow("KEY_PAUSE") << 119u << 0x48;
    QTest::newRow("KEY_NUMLOCK") << 69u << 0x53;
    QTest::newRow("KEY_SCROLLLOCK") << 70u << 0x47;
    QTest::newRow("KEY_BACKSLASH") << 43u << 0x31;
    QTest::newRow("KEY_RIGHTSHIFT") << 54u << 0xE5;
    QTest::newRow("KEY_RIGHTALT") << 100u << 0xE6;
    QTest::newRow("KEY_KPSLASH") << 98u << 0x54;
    QTest::newRow("KEY_LEFTMETA") << 125u << 0xE3;
    QTest::newRow("KEY_RIGHTMETA") << 126u << 0;
    QTest::newRow("KEY_COMPOSE") << 127u << 0x65;
    QTest::newRow("KEY_102ND") << 86u << 0x64;
    QTest::newRow("KEY_HOME") << 102u << 0x4A;
    QTest::newRow("KEY_KP7") << 71u << 0x5F;
    QTest::newRow("KEY_DELETE") << 111u << 0x4C;
    QTest::newRow("KEY_KPDOT") << 83u << 0x63;
    QTest::newRow("KEY_F13") << 183u << 0;
    QTest::newRow("KEY_F22") << 192u << 0;
    QTest::newRow("KEY_F23") << 193u << 0x72;
    QTest::newRow("KEY_F24") << 194u << 0;
    QTest::newRow("KEY_ZENKAKUHANKAKU") << 85u << 0;
    QTest::newRow("KEY_MUTE") << 113u << 0;
    QTest::newRow("code 0") << 0u << 0;
    QTest::newRow("code 300") << 300u << 0;
}

void TestKeyTables::linuxCodes()
{
    QFETCH(uint, linuxCode);
    QFETCH(int, usb);

    KeyTranslator translator;
    translator.fill(false);
    QCOMPARE(int(usbForLinuxCode(translator, linuxCode)), usb);
}

void TestKeyTables::linuxMapCoversTable()
{
    KeyTranslator translator;
    translator.fill(false);
    QSet<quint16> reached;
    QSet<int> usbCodes;
    for (int i = 0; i < LinuxKeyMap::knownCodeCount(); ++i) {
        const uint code = LinuxKeyMap::knownCode(i);
        const LinuxKeyMap::ScanCode key = LinuxKeyMap::scanCodeFor(code);
        const uchar usb = usbForLinuxCode(translator, code);
        const QByteArray where = "Linux code " + QByteArray::number(code);
        QVERIFY2(key.scan != 0, where);
        QCOMPARE(usb == 0, kUntranslatedLinuxCodes.contains(code));
        if (usb) {
            QVERIFY2(!usbCodes.contains(usb), where + " reports a USB code twice");
            usbCodes.insert(usb);
            reached.insert(KeyTables::scanKey(key.scan, key.extended));
        }
    }
    // Every key of the scan table is reachable from a Linux key.
    for (const KeyTables::ScanEntry &e : KeyTables::kScanToVirtualKey)
        QVERIFY2(reached.contains(e.key), qPrintable(QString::number(e.key, 16)));
    QCOMPARE(reached.size(), int(KeyTables::kScanToVirtualKey.size()));
}

void TestKeyTables::qtKeys_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("usb");

    QTest::newRow("A") << int(Qt::Key_A) << false << 0x04;
    QTest::newRow("Return") << int(Qt::Key_Return) << false << 0x28;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << false << 0x58;
    QTest::newRow("Enter, keypad") << int(Qt::Key_Enter) << true << 0x58;
    QTest::newRow("0") << int(Qt::Key_0) << false << 0x27;
    QTest::newRow("0, keypad") << int(Qt::Key_0) << true << 0x62;
    QTest::newRow("Home") << int(Qt::Key_Home) << false << 0x4A;
    QTest::newRow("Home, keypad") << int(Qt::Key_Home) << true << 0x5F;
    QTest::newRow("Asterisk, keypad") << int(Qt::Key_Asterisk) << true << 0x55;
    QTest::newRow("Asterisk") << int(Qt::Key_Asterisk) << false << 0;
    QTest::newRow("Control") << int(Qt::Key_Control) << false << 0xE0;
    QTest::newRow("Print") << int(Qt::Key_Print) << false << 0x46;
    QTest::newRow("SysReq") << int(Qt::Key_SysReq) << false << 0x46;
    QTest::newRow("Pause") << int(Qt::Key_Pause) << false << 0x48;
    QTest::newRow("NumLock, keypad") << int(Qt::Key_NumLock) << true << 0x53;
    QTest::newRow("Backslash") << int(Qt::Key_Backslash) << false << 0x31;
    QTest::newRow("Menu") << int(Qt::Key_Menu) << false << 0x65;
    QTest::newRow("Super_R") << int(Qt::Key_Super_R) << false << 0;
    QTest::newRow("F23") << int(Qt::Key_F23) << false << 0x72;
    QTest::newRow("F13") << int(Qt::Key_F13) << false << 0;
    QTest::newRow("VolumeUp") << int(Qt::Key_VolumeUp) << false << 0;
    QTest::newRow("unknown") << int(Qt::Key_unknown) << false << 0;
}

void TestKeyTables::qtKeys()
{
    QFETCH(int, qtKey);
    QFETCH(bool, keypad);
    QFETCH(int, usb);

    KeyTranslator translator;
    translator.fill(false);
    QCOMPARE(int(usbForLinuxCode(translator, LinuxKeyMap::linuxCodeForQtKey(qtKey, keypad))), usb);
}

void TestKeyTables::mouseButtons_data()
{
    QTest::addColumn<uint>("message");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("pressed");

    QTest::newRow("WM_MOUSEMOVE") << 0x200u << 0 << 0;
    QTest::newRow("WM_LBUTTONDOWN") << 0x201u << 0xF0 << 1;
    QTest::newRow("WM_LBUTTONUP") << 0x202u << 0xF0 << 0;
    QTest::newRow("WM_LBUTTONDBLCLK") << 0x203u << 0 << 0;
    QTest::newRow("WM_RBUTTONDOWN") << 0x204u << 0xF1 << 1;
    QTest::newRow("WM_RBUTTONUP") << 0x205u << 0xF1 << 0;
    QTest::newRow("WM_RBUTTONDBLCLK") << 0x206u << 0 << 0;
    QTest::newRow("WM_MBUTTONDOWN") << 0x207u << 0xF2 << 1;
    QTest::newRow("WM_MBUTTONUP") << 0x208u << 0xF2 << 0;
    QTest::newRow("WM_MBUTTONDBLCLK") << 0x209u << 0 << 0;
    QTest::newRow("WM_MOUSEWHEEL") << 0x20Au << 0 << 0;
    QTest::newRow("WM_XBUTTONDOWN") << 0x20Bu << 0 << 0;
    QTest::newRow("message 0") << 0u << 0 << 0;
}

void TestKeyTables::mouseButtons()
{
    QFETCH(uint, message);
    QFETCH(int, code);
    QFETCH(int, pressed);

    const KeyTables::ButtonEntry entry = KeyTables::buttonForMessage(message);
    QCOMPARE(int(entry.code), code);
    QCOMPARE(int(entry.pressed), pressed);
}

void TestKeyTables::xButtons_data()
{
    QTest::addColumn<uint>("button");
    QTest::addColumn<uint>("down");
    QTest::addColumn<uint>("up");

    QTest::newRow("left (1)") << 1u << 0x201u << 0x202u;
    QTest::newRow("middle (2)") << 2u << 0x207u << 0x208u;
    QTest::newRow("right (3)") << 3u << 0x204u << 0x205u;
    QTest::newRow("wheel up (4)") << 4u << 0u << 0u;
    QTest::newRow("wheel right (7)") << 7u << 0u << 0u;
    QTest::newRow("back (8)") << 8u << 0u << 0u;
    QTest::newRow("forward (9)") << 9u << 0u << 0u;
    QTest::newRow("none (0)") << 0u << 0u << 0u;
}

void TestKeyTables::xButtons()
{
    QFETCH(uint, button);
    QFETCH(uint, down);
    QFETCH(uint, up);

    QCOMPARE(KeyTables::messageForXButton(button, true), down);
    QCOMPARE(KeyTables::messageForXButton(button, false), up);
}

QTEST_APPLESS_MAIN(TestKeyTables)
#include "tst_key_tables.moc"
