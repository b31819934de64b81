#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

// A temporary folder made the current directory for the life of the object, with empty
// folders of modules/ (setting, unless others are named), as the program finds them beside
// the executable.
class StoreDir
{
public:
    explicit StoreDir(const QStringList &folders = {QStringLiteral("setting")})
        : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
        for (const QString &folder : folders)
            QDir().mkpath(QStringLiteral("modules/") + folder);
    }
    ~StoreDir() { QDir::setCurrent(m_previous); }

    // Copies a data file of the source tree ("setting/pD.bin") to the same place here.
    static bool install(const QString &name)
    {
        return QFile::copy(sourceData(name), QStringLiteral("modules/") + name);
    }
    static QString sourceData(const QString &name)
    {
        return QStringLiteral(STRYLA_SOURCE_DIR "/modules/") + name;
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

// The contents of every file of modules/setting, by name.
inline QMap<QString, QByteArray> settingFiles()
{
    QMap<QString, QByteArray> files;
    const QDir dir(QStringLiteral("modules/setting"));
    for (const QString &name : dir.entryList(QDir::Files))
        files.insert(name, readFile(dir.filePath(name)));
    return files;
}
