// Button assignment: the translation into the device's form, the fixed positions, the gun
// matrices, what is stored, and what each family receives.

#include "bridge_rig.h"
#include "button_assignment.h"
#include "diagnostics.h"

using namespace rig;
using namespace KeyMatrix;

Q_DECLARE_METATYPE(KeyMatrix::Entry)

namespace {

// The scene's built-in entries: mouse buttons, DPI up and down, double click, zeros, and the
// two device functions.
QVariantList builtIn()
{
    const int entries[16][4] = {
        {0, 0, 0xF0, 0},
        {0, 0, 0xF1, 0},
        {0, 0, 0xF2, 0},
        {0, 0, 0xF4, 0},
        {0, 0, 0xF3, 0},
        {5, 0, 1, 0},
        {5, 0, 2, 0},
        {0, 0xF0, 0x1E, 2},
        {0, 0, 0, 0},
        {0, 0, 0, 0},
        {0, 0, 0, 0},
        {0, 0, 0, 0},
        {0, 0, 0, 0},
        {0, 0, 0, 0},
        {0xFF, 0, 1, 0},
        {0xFF, 0, 2, 0},
    };
    QVariantList values;
    for (const auto &entry : entries)
        for (int v : entry)
            values.append(v);
    return values;
}

QVariantList withEntry(QVariantList values, int position, const Entry &entry)
{
    for (int f = 0; f < 4; ++f)
        values[position * 4 + f] = int(entry[size_t(f)]);
    return values;
}

// Key matrix 1 of builtIn() in the device's form (an empty scene entry is a mouse button).
Matrix builtInMain()
{
    const Entry entries[16] = {
        {1, 0, 0xF0, 0},
        {1, 0, 0xF1, 0},
        {1, 0, 0xF2, 0},
        {1, 0, 0xF4, 0},
        {1, 0, 0xF3, 0},
        {7, 0, 3, 0},
        {5, 0, 3, 0},
        {7, 0, 1, 0},
        {0x0D, 0, 0, 0},
        {0x0D, 1, 0, 0},
        {1, 0, 0, 0},
        {1, 0, 0, 0},
        {0x0E, 0, 0, 0},
        {1, 0, 0, 0},
        {4, 0, 1, 0},
        {4, 0, 2, 0},
    };
    Matrix m {};
    for (int i = 0; i < 16; ++i)
        setEntry(m, i, entries[i]);
    return m;
}

// A device-form table whose entry i is (0x20 + i, i, 2i, 3i).
Matrix deviceForm()
{
    Matrix m {};
    for (int i = 0; i < 16; ++i)
        setEntry(m, i, {uchar(0x20 + i), uchar(i), uchar(2 * i), uchar(3 * i)});
    return m;
}

void storeDeviceForm(QSettings &profile, const Matrix &table)
{
    for (int i = 0; i < 16; ++i) {
        const Entry e = entryAt(table, i);
        profile.setValue(QStringLiteral("mouseFwKeyMatrix/%1").arg(i),
            QStringList {QString::number(e[0]), QString::number(e[1]), QString::number(e[2]),
                QString::number(e[3])});
    }
}

QByteArray block(const Matrix &m)
{
    return QByteArray(reinterpret_cast<const char *>(m.data()), int(m.size()));
}

}  // namespace

class TestButtonAssignment : public QObject
{
    Q_OBJECT

private slots:
    void translate_data();
    void translate();
    void fixedPositions();
    void shortAndMalformedLists_data();
    void shortAndMalformedLists();
    void gunMatrices_data();
    void gunMatrices();
    void deviceFormFromFile();

    void storeWithoutSending();
    void shortListKeepsUnreachedEntries();
    void noGunButtonSendsMatrix1();
    void gunButton553();
    void gunButton560();
    void resetKeyMatrix();
    void switchKeyMatrix();
    void keydefine();
};

void TestButtonAssignment::translate_data()
{
    QTest::addColumn<bool>("is560");
    QTest::addColumn<Entry>("scene");
    QTest::addColumn<Entry>("device");

    const struct
    {
        const char *name;
        bool is560;
        Entry scene;
        Entry device;
    } rows[] = {
        {"left button", false, {0, 0, 0xF0, 0}, {1, 0, 0xF0, 0}},
        {"left button 560", true, {0, 0, 0xF0, 0}, {1, 0, 0xF0, 0}},
        {"double click", false, {0, 0xF0, 0x1E, 2}, {10, 0xF0, 0x1E, 2}},
        {"0x1E without 2 is a button", false, {0, 0, 0x1E, 1}, {1, 0, 0x1E, 1}},
        {"fire key", false, {1, 0x04, 10, 3}, {10, 0x04, 10, 3}},
        {"combination", false, {2, 0x03, 0x06, 0}, {0, 0x03, 0x06, 0}},
        {"media", true, {3, 0, 0xB5, 0x00}, {3, 0, 0xB5, 0x00}},
        {"macro", false, {4, 1, 5, 0}, {9, 1, 6, 0}},
        {"macro 560", true, {4, 2, 15, 0}, {9, 2, 16, 0}},
        {"DPI up", false, {5, 0, 1, 0}, {7, 0, 1, 0}},
        {"sniper 553", false, {5, 0, 4, 0}, {7, 0, 4, 2}},
        {"sniper 560", true, {5, 0, 4, 0}, {0x0B, 0, 1, 1}},
        {"windows function", false, {6, 0x04, 0x2C, 0x1B}, {0, 0x04, 0x2C, 0x1B}},
        {"shortcut", true, {7, 0, 0xE0, 0x19}, {0, 0, 0xE0, 0x19}},
        {"gun", false, {8, 0, 3, 0}, {8, 0, 3, 0}},
        {"device function", false, {0xFF, 0, 2, 0}, {4, 0, 2, 0}},
        {"unknown kind", true, {0x09, 1, 2, 3}, {0x09, 1, 2, 3}},
        {"kind 0xFE", false, {0xFE, 1, 2, 3}, {0xFE, 1, 2, 3}},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name) << r.is560 << r.scene << r.device;
}

void TestButtonAssignment::translate()
{
    QFETCH(bool, is560);
    QFETCH(Entry, scene);
    QFETCH(Entry, device);
    QCOMPARE(KeyMatrix::translate(scene, is560), device);
}

// Positions 5 … 9 and 12 are the device's whatever the scene sends; its position 5 lands on 7.
void TestButtonAssignment::fixedPositions()
{
    QCOMPARE(mainMatrix(builtIn(), false), builtInMain());

    QVariantList scene = builtIn();
    for (int position : {6, 8, 9, 12})
        scene = withEntry(scene, position, {4, 0, uchar(position), 0});
    scene = withEntry(scene, 5, {4, 2, 5, 0});
    scene = withEntry(scene, 7, {2, 1, 4, 5});
    Matrix expected = builtInMain();
    setEntry(expected, 7, {9, 2, 6, 0});
    QCOMPARE(mainMatrix(scene, true), expected);
}

// A missing or non-numeric value counts as 0; an all-zero scene entry is a mouse button.
void TestButtonAssignment::shortAndMalformedLists_data()
{
    QTest::addColumn<QVariantList>("src");
    QTest::addColumn<Entry>("first");
    QTest::addColumn<Entry>("second");
    QTest::addColumn<Entry>("last");
    QTest::addColumn<QStringList>("lines");

    const QString count = QStringLiteral("mouseSetKeyMatrix: expected 64 values, got %1");
    const Entry zero {1, 0, 0, 0};
    QTest::newRow("empty") << QVariantList {} << zero << zero << zero << QStringList {count.arg(0)};
    QTest::newRow("one and a half entries")
        << QVariantList {1, 4, 10, 3, 4, 1} << Entry {10, 4, 10, 3} << Entry {9, 1, 1, 0} << zero
        << QStringList {count.arg(6)};
    QTest::newRow("not numbers")
        << QVariantList {"x", 0, 0xF0, 0, 4, QVariant(), "5", 0} + QVariantList(56, 0)
        << Entry {1, 0, 0xF0, 0} << Entry {9, 0, 6, 0} << zero
        << QStringList {"mouseSetKeyMatrix: values that are not numbers count as 0"};
    QTest::newRow("70 values") << QVariantList(70, 1) << Entry {10, 1, 1, 1} << Entry {10, 1, 1, 1}
                               << Entry {10, 1, 1, 1} << QStringList {count.arg(70)};
}

void TestButtonAssignment::shortAndMalformedLists()
{
    QFETCH(QVariantList, src);
    QFETCH(Entry, first);
    QFETCH(Entry, second);
    QFETCH(Entry, last);
    QFETCH(QStringList, lines);
    DiagnosticCapture capture;
    const Matrix m = mainMatrix(src, false);
    QCOMPARE(capture.lines(), lines);
    QCOMPARE(entryAt(m, 0), first);
    QCOMPARE(entryAt(m, 1), second);
    QCOMPARE(entryAt(m, 13), last);
}

void TestButtonAssignment::gunMatrices_data()
{
    QTest::addColumn<bool>("is560");
    QTest::addColumn<int>("n");
    QTest::addColumn<Entry>("main");  // the gun position 3 in main, A, B, C
    QTest::addColumn<Entry>("a");
    QTest::addColumn<Entry>("b");
    QTest::addColumn<Entry>("c");
    QTest::addColumn<int>("mask");

    // Device-form entry 3 is (0x23, 3, 6, 9).
    QTest::newRow("553 n=1") << false << 1 << Entry {8, 0, 1, 1} << Entry {8, 0, 1, 0}
                             << Entry {8, 0, 1, 0} << Entry {8, 0, 1, 0} << 0;
    QTest::newRow("553 n=2") << false << 2 << Entry {8, 0, 1, 1} << Entry {8, 0, 1, 2}
                             << Entry {8, 0, 1, 0} << Entry {8, 0, 1, 0} << 0;
    QTest::newRow("553 n=3") << false << 3 << Entry {8, 0, 1, 1} << Entry {8, 0, 1, 2}
                             << Entry {8, 0, 1, 3} << Entry {8, 0, 1, 0} << 0;
    QTest::newRow("553 n=7") << false << 7 << Entry {8, 0, 1, 0x44} << Entry {8, 0, 1, 9}
                             << Entry {8, 0, 1, 9} << Entry {8, 0, 1, 9} << 0;
    QTest::newRow("560 n=1") << true << 1 << Entry {8, 0x11, 1, 0x44} << Entry {8, 3, 0, 9}
                             << Entry {8, 3, 0, 9} << Entry {8, 3, 0, 9} << 0x07;
    QTest::newRow("560 n=2") << true << 2 << Entry {8, 0x11, 1, 0x44} << Entry {8, 3, 3, 9}
                             << Entry {8, 3, 0, 9} << Entry {8, 3, 0, 9} << 0x0F;
    QTest::newRow("560 n=3") << true << 3 << Entry {8, 0x11, 1, 0x44} << Entry {8, 3, 3, 9}
                             << Entry {8, 3, 3, 9} << Entry {8, 3, 0, 9} << 0x1F;
    QTest::newRow("560 n=0") << true << 0 << Entry {8, 0x11, 0, 0x44} << Entry {8, 3, 6, 9}
                             << Entry {8, 3, 6, 9} << Entry {8, 3, 6, 9} << 0;
}

void TestButtonAssignment::gunMatrices()
{
    QFETCH(bool, is560);
    QFETCH(int, n);
    QFETCH(Entry, main);
    QFETCH(Entry, a);
    QFETCH(Entry, b);
    QFETCH(Entry, c);
    QFETCH(int, mask);

    Matrix source = builtInMain();
    setEntry(source, 3, {kGunButton, 0x11, uchar(n), 0x44});
    const GunMatrices out = KeyMatrix::gunMatrices(source, deviceForm(), {30, "45", 300}, is560);

    QCOMPARE(entryAt(out.main, 3), main);
    QCOMPARE(entryAt(out.guns[0], 3), a);
    QCOMPARE(entryAt(out.guns[1], 3), b);
    QCOMPARE(entryAt(out.guns[2], 3), c);
    QCOMPARE(int(out.countMask), mask);
    // Entry 0 carries the gun slot and its period (300 truncated to a byte); the rest of the
    // gun matrices is the device-form table.
    const Entry slotEntries[3] = {{0x0B, 0, 30, 0}, {0x0B, 1, 45, 0}, {0x0B, 2, 44, 0}};
    for (int s = 0; s < 3; ++s) {
        QCOMPARE(entryAt(out.guns[size_t(s)], 0), slotEntries[s]);
        for (int i : {1, 2, 4, 15})
            QCOMPARE(entryAt(out.guns[size_t(s)], i), entryAt(deviceForm(), i));
    }
    QCOMPARE(entryAt(out.main, 0), entryAt(source, 0));

    DiagnosticCapture capture;
    const GunMatrices noPeriods = KeyMatrix::gunMatrices(source, deviceForm(), {9}, is560);
    QCOMPARE(entryAt(noPeriods.guns[1], 0), (Entry {0x0B, 1, 0, 0}));
    QCOMPARE(entryAt(noPeriods.guns[2], 0), (Entry {0x0B, 2, 0, 0}));
    QCOMPARE(capture.lines(),
        QStringList({"mouseSetKeyMatrix: 1 gun periods for 3 gun slots, "
                     "missing ones count as 0"}));
}

void TestButtonAssignment::deviceFormFromFile()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("p1.bin"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[mouseFwKeyMatrix]\n0=1, 0, 240, 0\n1=\"10, 2\"\n2=a, b, 3, 4\n3=7\n"
               "4=1, 2, 3, 4, 5, 6\n");
    file.close();
    QSettings profile(file.fileName(), QSettings::IniFormat);
    DiagnosticCapture capture;
    const Matrix table = deviceFormTable(profile);
    QCOMPARE(block(table).left(24),
        QByteArray::fromHex("0100F000 00000000 00000304 "
                            "00000000 01020304 00000000"));
    QCOMPARE(block(table).mid(24), QByteArray(40, '\0'));
    QCOMPARE(capture.lines(),
        QStringList({"mouseFwKeyMatrix: 14 of 16 entries missing or "
                     "malformed, their values count as 0"}));
}

void TestButtonAssignment::storeWithoutSending()
{
    Rig rig;
    rig.attach(facts("553", true));
    ButtonAssignment buttons(rig.context);
    QVariantList scene = withEntry(builtIn(), 10, {8, 0, 3, 0});
    scene[1] = "0";  // values are stored as the scene passed them
    buttons.mouseSetKeyMatrix(scene, false, {1, 2, 3}, *rig.profile);
    QVERIFY(sim::wireLog().empty());

    rig.profile->sync();
    QSettings reread(rig.profile->fileName(), QSettings::IniFormat);
    for (int i = 0; i < 16; ++i) {
        const QStringList expected {scene[4 * i].toString(), scene[4 * i + 1].toString(),
            scene[4 * i + 2].toString(), scene[4 * i + 3].toString()};
        QCOMPARE(reread.value(QStringLiteral("mouseKeyMatrix/%1").arg(i)).toStringList(), expected);
    }
}

void TestButtonAssignment::shortListKeepsUnreachedEntries()
{
    Rig rig;
    rig.attach(facts("553"));
    ButtonAssignment buttons(rig.context);
    buttons.mouseSetKeyMatrix(builtIn(), false, {}, *rig.profile);
    buttons.mouseSetKeyMatrix({1, 4, 10, 3, 2, 1}, false, {}, *rig.profile);
    QCOMPARE(buttons.mouseGetKeydefine(0, *rig.profile), QVariantList({"1", "4", "10", "3"}));
    QCOMPARE(buttons.mouseGetKeydefine(1, *rig.profile), QVariantList({"2", "1", "0", "0"}));
    QCOMPARE(buttons.mouseGetKeydefine(2, *rig.profile), QVariantList({"0", "0", "242", "0"}));
}

void TestButtonAssignment::noGunButtonSendsMatrix1()
{
    Rig rig;
    rig.attach(facts("553", true));
    ButtonAssignment buttons(rig.context);
    buttons.mouseSetKeyMatrix(builtIn(), true, {1, 2, 3}, *rig.profile);
    QCOMPARE(rig.sent(), write(0x12, {1, 0x40, 0x08}, block(builtInMain())));
    QCOMPARE(int(rig.state().keyMatrices.size()), 1);
    QCOMPARE(rig.profile->value("mouseKeyMatrix/7").toStringList(),
        QStringList({"0", "240", "30", "2"}));
}

void TestButtonAssignment::gunButton553()
{
    Rig rig;
    rig.attach(facts("553", true));
    storeDeviceForm(*rig.profile, deviceForm());
    ButtonAssignment buttons(rig.context);
    buttons.mouseSetKeyMatrix(
        withEntry(builtIn(), 3, {8, 0, 3, 0}), true, {20, 40, 60}, *rig.profile);

    Matrix main = builtInMain();
    setEntry(main, 3, {8, 0, 1, 1});
    QStringList wire = write(0x12, {1, 0x40, 0x08}, block(main));
    const uchar periods[3] = {20, 40, 60};
    const uchar value3[3] = {2, 3, 0};
    Matrix gun;
    for (int s = 0; s < 3; ++s) {
        gun = deviceForm();
        setEntry(gun, 0, {0x0B, uchar(s), periods[s], 0});
        setEntry(gun, 3, {8, 0, 1, value3[s]});
        wire += write(0x12, {uchar(s + 2), 0x40, 0x08}, block(gun));
    }
    wire += command(0x02, {1});
    QCOMPARE(rig.sent(), wire);
    const sim::DeviceState state = rig.state();
    QCOMPARE(int(state.currentKeyMatrix), 1);
    QCOMPARE(bytes(state.keyMatrices.at(1)), block(main));
    QCOMPARE(bytes(state.keyMatrices.at(4)), block(gun));
}

void TestButtonAssignment::gunButton560()
{
    Rig rig;
    rig.attach(facts("560", true));
    storeDeviceForm(*rig.profile, deviceForm());
    (*rig.context.images)[0][3] = 0x66;  // a firmware byte, carried along
    sim::modifyState(rig.device, [](sim::DeviceState &s) { s.currentProfile = 2; });
    ButtonAssignment buttons(rig.context);
    QVariantList scene = withEntry(builtIn(), 3, {8, 0, 3, 0});
    scene = withEntry(scene, 4, {5, 0, 4, 0});  // sniper
    buttons.mouseSetKeyMatrix(scene, true, {20, 40, 60}, *rig.profile);

    Matrix main = builtInMain();
    setEntry(main, 3, {8, 0, 1, 0});
    setEntry(main, 4, {0x0B, 0, 1, 1});
    QByteArray image0(128, '\0');
    image0[2] = 0x1F;
    image0[3] = 0x66;
    QStringList wire = write(0x0C, {0, 0x80}, image0);
    wire += write(0x0D, {1, 0x80}, block(main) + QByteArray(64, '\0'));
    const uchar periods[3] = {20, 40, 60};
    const uchar value2[3] = {3, 3, 0};
    for (int s = 0; s < 3; ++s) {
        Matrix gun = deviceForm();
        setEntry(gun, 0, {0x0B, uchar(s), periods[s], 0});
        setEntry(gun, 3, {8, 3, value2[s], 9});
        wire += write(0x0D, {uchar(s + 2), 0x80}, block(gun) + QByteArray(64, '\0'));
    }
    wire += command(0x02, {1});
    QCOMPARE(rig.sent(), wire);
    QCOMPARE(bytes(rig.state().profiles[0]), image0);
    QCOMPARE(int(rig.state().currentProfile), 1);
}

void TestButtonAssignment::resetKeyMatrix()
{
    Rig rig;
    rig.attach(facts("553"));
    storeDeviceForm(*rig.profile, deviceForm());
    ButtonAssignment buttons(rig.context);
    buttons.mouseResetKeyMatrix(*rig.profile);
    QStringList wire;
    for (uchar n : {2, 3, 4})
        wire += write(0x12, {n, 0x40, 0x08}, block(deviceForm()));
    QCOMPARE(rig.sent(), wire);
}

void TestButtonAssignment::switchKeyMatrix()
{
    Rig rig;
    rig.attach(facts("553"));
    ButtonAssignment buttons(rig.context);
    DiagnosticCapture capture;
    buttons.mouseSwitchKeyMatrix(3);
    buttons.mouseSwitchKeyMatrix(0);
    buttons.mouseSwitchKeyMatrix(5);
    QCOMPARE(rig.sent(), QStringList({command(0x02, {2})}));
    QCOMPARE(capture.lines(),
        QStringList({"mouseSwitchKeyMatrix: no key matrix 0 (1 to 4)",
            "mouseSwitchKeyMatrix: no key matrix 5 (1 to 4)"}));

    Rig rig560;
    rig560.attach(facts("560"));
    ButtonAssignment buttons560(rig560.context);
    buttons560.mouseSwitchKeyMatrix(0);
    buttons560.mouseSwitchKeyMatrix(3);
    buttons560.mouseSwitchKeyMatrix(-1);
    QCOMPARE(rig560.sent(), QStringList({command(0x02, {0}), command(0x02, {3})}));
    QCOMPARE(int(rig560.state().currentProfile), 3);
}

void TestButtonAssignment::keydefine()
{
    Rig rig;
    rig.attach(facts("553"));
    ButtonAssignment buttons(rig.context);
    rig.profile->setValue("mouseKeyMatrix/3", QStringList {"4", "1", "3", "0"});
    rig.profile->setValue("mouseKeyMatrix/4", "plain");
    QCOMPARE(buttons.mouseGetKeydefine("3", *rig.profile), QVariantList({"4", "1", "3", "0"}));
    QCOMPARE(buttons.mouseGetKeydefine(3, *rig.profile), QVariantList({"4", "1", "3", "0"}));
    QCOMPARE(buttons.mouseGetKeydefine(4, *rig.profile), QVariantList());
    QCOMPARE(buttons.mouseGetKeydefine(5, *rig.profile), QVariantList());
    QVERIFY(sim::wireLog().empty());
}

QTEST_GUILESS_MAIN(TestButtonAssignment)
#include "tst_button_assignment.moc"
