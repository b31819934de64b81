// The five profile images of the 560 family: written back whole, read whole, refused outside
// profiles 0 … 4.

#include "bridge_rig.h"
#include "diagnostics.h"
#include "dpi_settings.h"

#include <functional>

using namespace rig;

class TestProfileImages : public QObject
{
    Q_OBJECT

private slots:
    void startZeroFilled();
    void readThenWriteBack();
    void failedReadKeepsImage();
    void setProfileResendsDpiImage();
    void outOfRangeRefused_data();
    void outOfRangeRefused();
    void currentProfile();
};

void TestProfileImages::startZeroFilled()
{
    DeviceContext context;
    ProfileImages images(context);
    QCOMPARE(context.images, &images.images());
    QCOMPARE(images.images(), ProfileImageSet {});
}

void TestProfileImages::readThenWriteBack()
{
    Rig rig;
    rig.attach(facts("560", true));
    const QByteArray stored = pattern(128, 5);
    sim::modifyState(rig.device, [&](sim::DeviceState &s) {
        std::copy(stored.begin(), stored.end(), s.profiles[2].begin());
    });
    rig.images.mouseReadProfile(2);
    QCOMPARE(bytes(rig.images.images()[2]), stored);
    QCOMPARE(bytes(rig.images.images()[1]), QByteArray(128, '\0'));

    sim::modifyState(rig.device, [](sim::DeviceState &s) { s.profiles[2].fill(0); });
    sim::clearWireLog();
    rig.images.mouseSetProfile(2);
    QCOMPARE(rig.sent(), write(0x0C, {2, 0x80}, stored));
    QCOMPARE(bytes(rig.state().profiles[2]), stored);
}

void TestProfileImages::failedReadKeepsImage()
{
    Rig rig;
    rig.attach(facts("560"));
    (*rig.context.images)[1].fill(0x3C);
    sim::setFeatureReadsFail(rig.device, true);
    rig.images.mouseReadProfile(1);
    QCOMPARE(bytes(rig.images.images()[1]), QByteArray(128, '\x3C'));
}

void TestProfileImages::setProfileResendsDpiImage()
{
    Rig rig;
    rig.attach(facts("560"));
    DpiSettings dpi(rig.context);
    dpi.mouseSetDpi(4, "3360", {400, 800, 1600, 3200, 6400, 200, 200, 200});
    const QStringList first = rig.sent();
    QCOMPARE(first.size(), 5);  // command report and four data reports

    sim::clearWireLog();
    rig.images.mouseSetProfile(1);
    QCOMPARE(rig.sent(), first);
}

void TestProfileImages::outOfRangeRefused_data()
{
    QTest::addColumn<bool>("read");
    QTest::addColumn<uint>("profileNo");
    QTest::addColumn<QString>("line");
    QTest::newRow("set 5") << false << 5u << "mouseSetProfile: no device profile 5 (0 to 4)";
    QTest::newRow("read 5") << true << 5u << "mouseReadProfile: no device profile 5 (0 to 4)";
    QTest::newRow("read max") << true << 4294967295u
                              << "mouseReadProfile: no device profile 4294967295 (0 to 4)";
    QTest::newRow("set 256") << false << 256u << "mouseSetProfile: no device profile 256 (0 to 4)";
}

// Nothing is sent, nothing read, no image touched; 256 would be profile 0 as a byte.
void TestProfileImages::outOfRangeRefused()
{
    QFETCH(bool, read);
    QFETCH(uint, profileNo);
    QFETCH(QString, line);
    Rig rig;
    rig.attach(facts("560"));
    DiagnosticCapture capture;
    if (read)
        rig.images.mouseReadProfile(profileNo);
    else
        rig.images.mouseSetProfile(profileNo);
    QCOMPARE(capture.lines(), QStringList({line}));
    QVERIFY(sim::wireLog().empty());
    QCOMPARE(rig.images.images(), ProfileImageSet {});
}

void TestProfileImages::currentProfile()
{
    Rig rig;
    rig.attach(facts("560"));
    sim::modifyState(rig.device, [](sim::DeviceState &s) { s.currentProfile = 3; });
    QCOMPARE(rig.images.mouseReadCurrentProfile(), QVariant(3));
    QCOMPARE(rig.sent(), QStringList({command(0x82)}));

    sim::setFeatureReadsFail(rig.device, true);
    QCOMPARE(rig.images.mouseReadCurrentProfile(), QVariant(0));
}

QTEST_GUILESS_MAIN(TestProfileImages)
#include "tst_profile_images.moc"
