// The host window's Windows messages: the restore command, device changes, and the
// warning box that another program may request through WM_COPYDATA.

#include "copydata.h"
#include "widget.h"

#include <QMessageBox>

#include <windows.h>

void Widget::postRestoreRequest()
{
    PostMessageW(reinterpret_cast<HWND>(winId()), WM_SYSCOMMAND, SC_RESTORE, 0);
}

bool Widget::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    Q_UNUSED(eventType);
    Q_UNUSED(result);
    const MSG *msg = static_cast<const MSG *>(message);
    if (msg->message == WM_SYSCOMMAND && msg->wParam == SC_RESTORE)
        setVisible(true);
    else if (msg->message == WM_DEVICECHANGE)
        deviceChanged();
    return false;  // default processing follows (it restores a minimised window)
}

void Widget::onCopyData(const tagCOPYDATASTRUCT *data, void *window)
{
    auto *self = static_cast<Widget *>(window);
    if (!self || !data)
        return;
    const auto text = CopyData::warningText(data->dwData, data->lpData, data->cbData);
    if (!text)
        return;
    QMessageBox box(QMessageBox::Warning, self->windowTitle(), *text, QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::NoButton);
    box.exec();
}
