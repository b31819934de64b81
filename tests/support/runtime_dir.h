#pragma once

// A temporary installation folder for tests: the runtime data of the source tree copied into
// modules/ of a fresh temporary folder, which becomes the working directory, as start-up makes
// the executable's folder the working directory. The previous directory comes back at the end.

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

class RuntimeDir
{
public:
    RuntimeDir()
        : m_previous(QDir::currentPath())
    {
        const QString source = QStringLiteral(STRYLA_SOURCE_DIR "/modules");
        for (const char *folder : {"setting", "i18n", "gun", "macro", "img"})
            QDir().mkpath(path(QStringLiteral("modules/") + QLatin1String(folder)));
        copyFolder(source + QStringLiteral("/setting"), path(QStringLiteral("modules/setting")));
        copyFolder(source + QStringLiteral("/i18n"), path(QStringLiteral("modules/i18n")));
        copyFolder(source + QStringLiteral("/gun"), path(QStringLiteral("modules/gun")));
        QFile::copy(
            source + QStringLiteral("/img/logo.ico"), path(QStringLiteral("modules/img/logo.ico")));
        for (int n = 1; n <= 10; ++n)
            QFile::copy(path(QStringLiteral("modules/setting/pD.bin")),
                path(QStringLiteral("modules/setting/p%1.bin").arg(n)));
        QDir::setCurrent(m_dir.path());
    }
    ~RuntimeDir() { QDir::setCurrent(m_previous); }

    QString path(const QString &relative = QString()) const
    {
        return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
    }

    // Writes one key of the global configuration file (before the program reads it).
    void setGlobal(const QString &key, const QVariant &value)
    {
        QSettings config(
            path(QStringLiteral("modules/setting/apConfig.bin")), QSettings::IniFormat);
        config.setValue(key, value);
    }

private:
    static void copyFolder(const QString &from, const QString &to)
    {
        const QDir dir(from);
        for (const QString &name : dir.entryList(QDir::Files))
            QFile::copy(dir.filePath(name), to + QLatin1Char('/') + name);
    }

    QString m_previous;
    QTemporaryDir m_dir;
};
