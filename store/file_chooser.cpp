#include "file_chooser.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

// Without the system's dialogs nobody can answer: the question counts as cancelled.
class NoDialogs : public FileDialogs
{
public:
    QString openFileName(
        QWidget *, const QString &caption, const QString &, const QString &) override
    {
        return unanswered(caption);
    }
    QString saveFileName(
        QWidget *, const QString &caption, const QString &, const QString &) override
    {
        return unanswered(caption);
    }

private:
    static QString unanswered(const QString &caption)
    {
        qDebug().noquote() << QStringLiteral("No file dialogs to ask \"%1\"").arg(caption);
        return QString();
    }
};

QString lastFolder;
NoDialogs noDialogs;
FileDialogs *systemDialogs = nullptr;
FileDialogs *replacement = nullptr;

}  // namespace

FileDialogs &fileDialogs()
{
    if (replacement)
        return *replacement;
    return systemDialogs ? *systemDialogs : noDialogs;
}

void setFileDialogs(FileDialogs *dialogs)
{
    replacement = dialogs;
}

void setSystemFileDialogs(FileDialogs *dialogs)
{
    systemDialogs = dialogs;
}

QString dialogFolder()
{
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        return lastFolder;
    return QDir::homePath();
}

void rememberDialogFolder(const QString &chosenFile)
{
    if (!chosenFile.isEmpty())
        lastFolder = QFileInfo(chosenFile).absolutePath();
}
