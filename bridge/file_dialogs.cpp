#include "file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QWindow>

#include <memory>

namespace {

// The dialog is a window of its own; when it has gone, the keyboard goes back to the widget
// that asked for it (the scene's view), whose focused control keeps it, whatever the answer.
QString runDialog(QWidget *parent, const QString &caption, const QString &dir,
    const QString &filter, bool save)
{
    const std::unique_ptr<QFileDialog> dialog(makeFileDialog(parent, caption, dir, filter, save));
    const bool accepted = dialog->exec() == QDialog::Accepted;
    const QStringList chosen = dialog->selectedFiles();
    if (parent) {
        parent->activateWindow();
        parent->setFocus(Qt::ActiveWindowFocusReason);
    }
    return accepted && !chosen.isEmpty() ? chosen.constFirst() : QString();
}

class SystemFileDialogs : public FileDialogs
{
public:
    QString openFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        return runDialog(parent, caption, dir, filter, false);
    }
    QString saveFileName(
        QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        return runDialog(parent, caption, dir, filter, true);
    }
};

}  // namespace

void installSystemFileDialogs()
{
    static SystemFileDialogs systemDialogs;
    setSystemFileDialogs(&systemDialogs);
}

QFileDialog *makeFileDialog(QWidget *parent, const QString &caption, const QString &dir,
    const QString &filter, bool save)
{
    auto *dialog = new QFileDialog(nullptr, caption, QString(), filter);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setWindowModality(Qt::ApplicationModal);
    const QFileInfo start(dir);
    if (start.isDir()) {
        dialog->setDirectory(start.absoluteFilePath());
    } else {
        dialog->setDirectory(start.absolutePath());
        dialog->selectFile(start.fileName());
    }
    if (parent) {
        QWidget *host = parent->window();
        // The desktop's dialog (and the window manager) keep it above the program's window.
        dialog->winId();
        if (dialog->windowHandle() && host->windowHandle())
            dialog->windowHandle()->setTransientParent(host->windowHandle());
        const QSize size = dialog->sizeHint().expandedTo(QSize(640, 420));
        dialog->resize(size);
        dialog->move(host->geometry().center() - QPoint(size.width() / 2, size.height() / 2));
    }
    return dialog;
}

void preferDesktopFileDialogs()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME"))
        return;
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    if (!desktop.contains(QLatin1String("GNOME")) && !desktop.contains(QLatin1String("KDE")))
        return;
    // The portal theme hands everything but the dialogs to the desktop's usual theme.
    const QDir themes(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platformthemes"));
    if (!themes.entryList({QStringLiteral("*xdgdesktopportal*")}, QDir::Files).isEmpty())
        qputenv("QT_QPA_PLATFORMTHEME", "xdgdesktopportal");
}
