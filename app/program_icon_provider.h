#pragma once

#include <QQuickImageProvider>

// The icons of running programs for the programs page, from the desktop's icon theme
// ("image://programicon/<name>"); an empty picture where the theme has none.
class ProgramIconProvider : public QQuickImageProvider
{
public:
    static constexpr char kName[] = "programicon";

    ProgramIconProvider();
    QPixmap requestPixmap(const QString &id, QSize *size, const QSize &requested) override;
};
