#include "program_icon_provider.h"

#include <QIcon>
#include <QUrl>

namespace {
constexpr QSize kDefaultSize(20, 20);
}

ProgramIconProvider::ProgramIconProvider()
    : QQuickImageProvider(QQuickImageProvider::Pixmap)
{ }

QPixmap ProgramIconProvider::requestPixmap(const QString &id, QSize *size, const QSize &requested)
{
    const QSize want = requested.isValid() ? requested : kDefaultSize;
    QPixmap pixmap = QIcon::fromTheme(QUrl::fromPercentEncoding(id.toUtf8())).pixmap(want);
    if (pixmap.isNull()) {
        pixmap = QPixmap(want);
        pixmap.fill(Qt::transparent);
    }
    if (size)
        *size = pixmap.size();
    return pixmap;
}
