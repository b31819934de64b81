#include "file_dialogs.h"

#include <QFileDialog>

namespace {

class SystemFileDialogs : public FileDialogs
{
public:
    QString openFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    }
    QString saveFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    }
};

SystemFileDialogs systemDialogs;
FileDialogs *current = &systemDialogs;

}  // namespace

FileDialogs &fileDialogs()
{
    return *current;
}

void setFileDialogs(FileDialogs *dialogs)
{
    current = dialogs ? dialogs : &systemDialogs;
}
