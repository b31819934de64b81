#include "file_chooser.h"
#include "macro_files.h"
#include "store_fixture.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QSettings>

#include <QtTest>

#include <memory>

using namespace MacroFiles;

namespace {

// Answers each dialog with a preset path and records what it was asked.
class ScriptedDialogs : public FileDialogs
{
public:
    QString answer;
    int shown = 0;
    QString caption, dir, filter;

    QString openFileName(QWidget *, const QString &c, const QString &d, const QString &f) override
    {
        return record(c, d, f);
    }
    QString saveFileName(QWidget *, const QString &c, const QString &d, const QString &f) override
    {
        return record(c, d, f);
    }

private:
    QString record(const QString &c, const QString &d, const QString &f)
    {
        ++shown;
        caption = c;
        dir = d;
        filter = f;
        return answer;
    }
};

// Every file below the current folder with its content.
QMap<QString, QByteArray> snapshot()
{
    QMap<QString, QByteArray> files;
    QDirIterator it(QStringLiteral("."), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readFile(path));
    }
    return files;
}

}  // namespace

class TestMacroFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<StoreDir> m_dir;
    QList<QSettings *> m_profiles;  // p1 … p10
    std::unique_ptr<QSettings> m_default;
    ScriptedDialogs m_dialogs;

    void bindButton(QSettings *profile, int button, int kind, int slot, const QString &macro)
    {
        profile->setValue(
            QStringLiteral("mouseKeyMatrix/%1").arg(button), QVariantList {kind, 0, slot, 0});
        profile->setValue(QStringLiteral("mouseMacroKey/%1").arg(slot), macro);
    }
    void syncProfiles()
    {
        for (QSettings *profile : m_profiles)
            profile->sync();
    }
    void reopenProfiles()
    {
        for (QSettings *&profile : m_profiles) {
            const QString path = profile->fileName();
            delete profile;
            profile = new QSettings(path, QSettings::IniFormat);
        }
        m_default->sync();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<StoreDir>(QStringList {"macro", "setting"});
        for (int i = 1; i <= 10; ++i)
            m_profiles.append(new QSettings(
                QStringLiteral("modules/setting/p%1.bin").arg(i), QSettings::IniFormat));
        m_default = std::make_unique<QSettings>(
            QStringLiteral("modules/setting/pD.bin"), QSettings::IniFormat);
        m_dialogs = ScriptedDialogs();
        setFileDialogs(&m_dialogs);
    }
    void cleanup()
    {
        setFileDialogs(nullptr);
        qDeleteAll(m_profiles);
        m_profiles.clear();
        m_default.reset();
        m_dir.reset();
    }

    void createdMacroHasNoSteps()
    {
        QVERIFY(createMacroIni(QStringLiteral("Macro_0"), 7));
        QCOMPARE(loadMacroIni(QStringLiteral("Macro_0")), QStringList {QStringLiteral("1")});
        const QSettings file(QStringLiteral("modules/macro/Macro_0.bin"), QSettings::IniFormat);
        QCOMPARE(file.value("config/index").toString(), QStringLiteral("7"));
        QCOMPARE(file.value("config/total").toString(), QStringLiteral("0"));
        QCOMPARE(file.value("config/did").toString(), QStringLiteral("-1"));
    }

    void saveAndLoad_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("repeat");
        QTest::newRow("press, delay, release") << QStringList {"1,A", "0,50", "2,A"} << 3;
        QTest::newRow("comma key and backslash")
            << QStringList {"1,,", "2,,", "1,\\", "2,\\", "3,MS-L", "4,MS-L"} << 65535;
        QTest::newRow("non-ASCII names") << QStringList {"1,回车", "0,10", "2,回车"} << 1;
        QTest::newRow("no steps") << QStringList {} << 2;
    }
    void saveAndLoad()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, repeat);
        QVERIFY(createMacroIni(QStringLiteral("m"), 0));
        QVERIFY(saveMacroIni(QStringLiteral("m"), steps, repeat));

        const QSettings file(QStringLiteral("modules/macro/m.bin"), QSettings::IniFormat);
        QCOMPARE(file.value("config/total").toInt(), steps.size());
        QCOMPARE(file.value("config/repeat").toInt(), repeat);
        QCOMPARE(file.value("config/did").toInt(), -1);
        for (int i = 0; i < steps.size(); ++i)
            QCOMPARE(file.value(QStringLiteral("macro/%1").arg(i)).toString(), steps.at(i));
        QCOMPARE(loadMacroIni(QStringLiteral("m")), steps + QStringList {QString::number(repeat)});
    }

    void shrinkingRemovesOldSteps()
    {
        QVERIFY(createMacroIni(QStringLiteral("m"), 0));
        QVERIFY(saveMacroIni(QStringLiteral("m"), {"1,A", "0,5", "2,A", "0,5", "1,B"}, 1));
        QVERIFY(saveMacroIni(QStringLiteral("m"), {"1,C", "2,C"}, 2));
        QSettings file(QStringLiteral("modules/macro/m.bin"), QSettings::IniFormat);
        file.beginGroup(QStringLiteral("macro"));
        QCOMPARE(file.childKeys(), (QStringList {"0", "1"}));
    }

    void missingFileIsNeitherWrittenNorRead()
    {
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("saveMacroIni: no macro file"));
        QVERIFY(!saveMacroIni(QStringLiteral("ghost"), {"1,A"}, 1));
        QVERIFY(!QFile::exists(QStringLiteral("modules/macro/ghost.bin")));
        QVERIFY(loadMacroIni(QStringLiteral("ghost")).isEmpty());
        QVERIFY(!deleteMacroIni(QStringLiteral("ghost")));
    }

    void absurdStepCountIsBounded_data()
    {
        QTest::addColumn<QByteArray>("total");
        QTest::addColumn<int>("steps");
        QTest::newRow("huge") << QByteArray("2000000000") << kMaxSteps;
        QTest::newRow("negative") << QByteArray("-5") << 0;
    }
    void absurdStepCountIsBounded()
    {
        QFETCH(QByteArray, total);
        QFETCH(int, steps);
        writeFile(QStringLiteral("modules/macro/m.bin"),
            "[config]\ntotal=" + total + "\nrepeat=4\n[macro]\n0=\"1,A\"\n");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("step count .* read as"));
        const QStringList loaded = loadMacroIni(QStringLiteral("m"));
        QCOMPARE(loaded.size(), steps + 1);
        QCOMPARE(loaded.last(), QStringLiteral("4"));
        if (steps > 0)
            QCOMPARE(loaded.mid(0, 2), (QStringList {"1,A", "0"}));
    }

    void deleteRemovesTheFile()
    {
        QVERIFY(createMacroIni(QStringLiteral("m"), 0));
        QVERIFY(deleteMacroIni(QStringLiteral("m")));
        QVERIFY(!QFile::exists(QStringLiteral("modules/macro/m.bin")));
    }

    void renameReachesProfilesOneToSix()
    {
        QVERIFY(createMacroIni(QStringLiteral("old"), 0));
        for (QSettings *profile : m_profiles) {
            bindButton(profile, 3, 4, 3, QStringLiteral("old"));
            profile->setValue(QStringLiteral("mouseMacroKey/7"), QStringLiteral("other"));
        }
        QVERIFY(
            modifyMacroNameUpdateProfile(QStringLiteral("old"), QStringLiteral("new"), m_profiles));
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(m_profiles[i]->value("mouseMacroKey/3").toString(),
                QLatin1String(i < 6 ? "new" : "old"));
            QCOMPARE(m_profiles[i]->value("mouseMacroKey/7").toString(), QLatin1String("other"));
        }
        QVERIFY(!QFile::exists(QStringLiteral("modules/macro/old.bin")));
        QCOMPARE(loadMacroIni(QStringLiteral("new")), QStringList {"1"});
    }

    void refusedRenameTouchesNothing_data()
    {
        QTest::addColumn<QString>("oldName");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("message");
        QTest::newRow("old file missing") << "ghost"
                                          << "new"
                                          << "does not exist";
        QTest::newRow("new file exists") << "old"
                                         << "taken"
                                         << "exists already";
        QTest::newRow("new name unsafe") << "old"
                                         << "../taken"
                                         << "cannot be used";
    }
    void refusedRenameTouchesNothing()
    {
        QFETCH(QString, oldName);
        QFETCH(QString, newName);
        QFETCH(QString, message);
        QVERIFY(createMacroIni(QStringLiteral("old"), 0));
        QVERIFY(createMacroIni(QStringLiteral("taken"), 1));
        bindButton(m_profiles[0], 0, 4, 0, oldName);
        syncProfiles();
        const auto before = snapshot();
        if (!message.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(message));
        QVERIFY(!modifyMacroNameUpdateProfile(oldName, newName, m_profiles));
        syncProfiles();
        QCOMPARE(snapshot(), before);
        QCOMPARE(m_profiles[0]->value("mouseMacroKey/0").toString(), oldName);
    }

    void deleteRestoresBoundButtonsFromDefault()
    {
        m_default->setValue(QStringLiteral("mouseKeyMatrix/3"), QVariantList {0, 0, 0xF4, 0});
        m_default->setValue(QStringLiteral("mouseKeyMatrix/5"), QVariantList {5, 0, 1, 0});
        for (QSettings *profile : m_profiles) {
            bindButton(profile, 3, 4, 3, QStringLiteral("gone"));  // bound: restored in p1 … p6
            bindButton(profile, 5, 4, 5, QStringLiteral("kept"));  // another macro
            bindButton(profile, 9, 1, 9, QStringLiteral("gone"));  // not a macro entry
        }
        m_profiles[1]->setValue(QStringLiteral("mouseKeyMatrix/4"), QVariantList {4, 0});  // short
        reopenProfiles();  // the entries come back as texts, as after a restart
        deleteMacroUpdateProfile(QStringLiteral("gone"), m_profiles, m_default.get());
        reopenProfiles();
        for (int i = 0; i < 10; ++i) {
            const QStringList expected3 =
                i < 6 ? QStringList {"0", "0", "244", "0"} : QStringList {"4", "0", "3", "0"};
            QCOMPARE(m_profiles[i]->value("mouseKeyMatrix/3").toStringList(), expected3);
            QCOMPARE(m_profiles[i]->value("mouseKeyMatrix/5").toStringList(),
                (QStringList {"4", "0", "5", "0"}));
            QCOMPARE(m_profiles[i]->value("mouseKeyMatrix/9").toStringList(),
                (QStringList {"1", "0", "9", "0"}));
            QCOMPARE(m_profiles[i]->value("mouseMacroKey/3").toString(), QLatin1String("gone"));
        }
        QCOMPARE(m_profiles[1]->value("mouseKeyMatrix/4").toStringList(), (QStringList {"4", "0"}));
    }

    void deleteKeepsButtonWithoutFactoryEntry()
    {
        bindButton(m_profiles[2], 8, 4, 8, QStringLiteral("gone"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("No factory entry mouseKeyMatrix/8"));
        deleteMacroUpdateProfile(QStringLiteral("gone"), m_profiles, m_default.get());
        QCOMPARE(m_profiles[2]->value("mouseKeyMatrix/8").toList(), (QVariantList {4, 0, 8, 0}));
    }

    void unsafeNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("slash") << "a/b";
        QTest::newRow("backslash") << "a\\b";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("climbs out") << "../../setting/p1";
        QTest::newRow("hidden") << ".m";
        QTest::newRow("newline") << "a\nb";
        QTest::newRow("nul") << QString(QChar(0));
        QTest::newRow("65 characters") << QString(65, QLatin1Char('x'));
    }
    void unsafeNamesAreRefused()
    {
        QFETCH(QString, name);
        QVERIFY(createMacroIni(QStringLiteral("ok"), 0));
        bindButton(m_profiles[0], 0, 4, 0, QStringLiteral("ok"));
        syncProfiles();
        writeFile(QStringLiteral("chosen.mc"), "[config]\ntotal=0\n");
        m_dialogs.answer = QStringLiteral("chosen.mc");
        const auto before = snapshot();
        const QRegularExpression refusal("cannot be used as a file name");
        for (int i = 0; i < 8; ++i)
            QTest::ignoreMessage(QtDebugMsg, refusal);

        QVERIFY(!createMacroIni(name, 0));
        QVERIFY(!saveMacroIni(name, {"1,A"}, 1));
        QVERIFY(loadMacroIni(name).isEmpty());
        QVERIFY(!deleteMacroIni(name));
        QVERIFY(!modifyMacroNameUpdateProfile(QStringLiteral("ok"), name, m_profiles));
        deleteMacroUpdateProfile(name, m_profiles, m_default.get());
        QVERIFY(!loadMacroFile(name, nullptr));
        saveMacroFile(name, nullptr);

        QCOMPARE(m_dialogs.shown, 0);
        syncProfiles();
        QCOMPARE(snapshot(), before);
    }

    void usableNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("64 characters") << QString(64, QLatin1Char('x'));
        QTest::newRow("dots inside") << "a..b";
        QTest::newRow("blank and CJK") << "宏 1";
    }
    void usableNames()
    {
        QFETCH(QString, name);
        QVERIFY(createMacroIni(name, 0));
        QVERIFY(QFile::exists(QStringLiteral("modules/macro/") + name + QStringLiteral(".bin")));
    }

    void importCopiesChosenFile()
    {
        const QByteArray content = "[config]\ntotal=1\nrepeat=2\n[macro]\n0=\"1,A\"\n";
        writeFile(QStringLiteral("chosen.mc"), content);
        m_dialogs.answer = QStringLiteral("chosen.mc");
        QVERIFY(loadMacroFile(QStringLiteral("Macro_3"), nullptr));
        QCOMPARE(readFile(QStringLiteral("modules/macro/Macro_3.bin")), content);
        QCOMPARE(m_dialogs.caption, QStringLiteral("Open File"));
        QCOMPARE(m_dialogs.filter, QStringLiteral("Macro(*.mc)"));
        // Started in the home folder (the last folder of a former test is gone).
        QCOMPARE(m_dialogs.dir, QDir::homePath());
    }

    void importNeverOverwrites()
    {
        QVERIFY(createMacroIni(QStringLiteral("m"), 0));
        const QByteArray existing = readFile(QStringLiteral("modules/macro/m.bin"));
        writeFile(QStringLiteral("chosen.mc"), "[config]\ntotal=9\n");
        m_dialogs.answer = QStringLiteral("chosen.mc");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("exists; the import left it"));
        QVERIFY(loadMacroFile(QStringLiteral("m"), nullptr));
        QCOMPARE(readFile(QStringLiteral("modules/macro/m.bin")), existing);
    }

    void importFailures_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancelled") << QString();
        QTest::newRow("unreadable choice") << "no-such.mc";
    }
    void importFailures()
    {
        QFETCH(QString, answer);
        m_dialogs.answer = answer;
        if (!answer.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression("Cannot import"));
        QVERIFY(!loadMacroFile(QStringLiteral("m"), nullptr));
        QCOMPARE(m_dialogs.shown, 1);
        QVERIFY(!QFile::exists(QStringLiteral("modules/macro/m.bin")));
    }

    void exportReplacesChosenFile()
    {
        QVERIFY(createMacroIni(QStringLiteral("m"), 0));
        QVERIFY(saveMacroIni(QStringLiteral("m"), {"1,A", "2,A"}, 5));
        writeFile(QStringLiteral("out.mc"), "older and longer content than the macro file has");
        m_dialogs.answer = QStringLiteral("out.mc");
        saveMacroFile(QStringLiteral("m"), nullptr);
        QCOMPARE(
            readFile(QStringLiteral("out.mc")), readFile(QStringLiteral("modules/macro/m.bin")));
        QCOMPARE(m_dialogs.caption, QStringLiteral("Save File"));
        QCOMPARE(m_dialogs.filter, QStringLiteral("Macro(*.mc)"));
        QCOMPARE(m_dialogs.dir, QDir::homePath() + QStringLiteral("/m.mc"));

        // The next dialog starts where this file was chosen, the macro's name offered again.
        saveMacroFile(QStringLiteral("m"), nullptr);
        QCOMPARE(m_dialogs.dir, QDir::currentPath() + QStringLiteral("/m.mc"));
    }

    void exportFailuresKeepTarget_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("macro");
        QTest::newRow("cancelled") << QString() << "m";
        QTest::newRow("macro file missing") << "out.mc"
                                            << "ghost";
    }
    void exportFailuresKeepTarget()
    {
        QFETCH(QString, answer);
        QFETCH(QString, macro);
        QVERIFY(createMacroIni(QStringLiteral("m"), 0));
        writeFile(QStringLiteral("out.mc"), "keep me");
        m_dialogs.answer = answer;
        if (!answer.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression("Cannot read .*ghost.bin"));
        saveMacroFile(macro, nullptr);
        QCOMPARE(readFile(QStringLiteral("out.mc")), QByteArray("keep me"));
    }
};

QTEST_GUILESS_MAIN(TestMacroFiles)
#include "tst_macro_files.moc"
