// The import and export dialogs as the X server draws them over the program's window: every
// label can be read, and they start where a user expects.

#include "scene_rig.h"

#include "file_dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QtTest>

#include <memory>

using namespace simtest;

namespace {

double luminance(QRgb c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

// The contrast of the text in an area: its most frequent colour is the background, the pixel
// farthest from it in luminance the text.
double contrastOf(const QImage &area)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            ++counts[area.pixel(x, y) & 0xFFFFFF];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    const double lb = luminance(background);
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double lt = luminance(it.key());
        best = qMax(best, (qMax(lb, lt) + 0.05) / (qMin(lb, lt) + 0.05));
    }
    return best;
}

}  // namespace

class TestFileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void labelsCanBeRead_data();
    void labelsCanBeRead();
};

void TestFileDialogs::labelsCanBeRead_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("name");
    QTest::newRow("import") << false << QString();
    QTest::newRow("export") << true << QStringLiteral("Work.pf");
}

void TestFileDialogs::labelsCanBeRead()
{
    QFETCH(bool, save);
    QFETCH(QString, name);
    SceneRig rig;
    QVERIFY(rig.start());
    QWidget *view = rig.window->view();
    const QString offered = name.isEmpty() ? dialogFolder() : dialogFolder() + '/' + name;
    const std::unique_ptr<QFileDialog> dialog(makeFileDialog(
        view, save ? "Save File" : "Open File", offered, "Profile(*.pf)", save));
    // Xvfb has no desktop dialog: this is Qt's own, as on a desktop without a portal.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QTest::qWait(400);
    QCOMPARE(dialog->directory().absolutePath(), QDir::homePath());
    QLineEdit *fileName = dialog->findChild<QLineEdit *>("fileNameEdit");
    QVERIFY(fileName);
    QCOMPARE(fileName->text(), name);

    const QImage screen = dialog->screen()->grabWindow(0).toImage();
    QStringList read;
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        const QRect area(label->mapToGlobal(QPoint(0, 0)), label->size());
        const double contrast = contrastOf(screen.copy(area));
        QVERIFY2(contrast >= 4.5,
            qPrintable(QStringLiteral("%1: contrast %2").arg(label->text()).arg(contrast)));
        read << label->text();
    }
    QVERIFY2(read.size() >= 3, qPrintable(read.join(", ")));  // Look in, File name, Files of type
    QComboBox *types = dialog->findChild<QComboBox *>("fileTypeCombo");
    QVERIFY(types);
    QVERIFY(contrastOf(screen.copy(QRect(types->mapToGlobal(QPoint(0, 0)), types->size()))) >= 4.5);
    dialog->reject();
}

QTEST_MAIN(TestFileDialogs)
#include "tst_file_dialogs.moc"
