#pragma once

#include <QObject>
#include <QString>

// What assistive technology reads of the scene's items, where Qt's own reading falls short for
// a scene shown in a QQuickWidget:
// - positions: Qt reports an item's place on the screen through the scene's own window, which
//   for a QQuickWidget is an offscreen window that never moves; the place is taken through the
//   widget's window instead, where the item is drawn;
// - progress bars: Qt gives the value interface to sliders, spin boxes, dials and scroll bars
//   only; an item in the progress-bar role gets it too (its value, minimumValue and
//   maximumValue properties).
// - typed text: Qt's text inputs announce no change of their text; each one a screen reader
//   sees announces its changes (TextEcho), so what is typed is echoed.
// install() adds this reading ahead of Qt's own, once per program.
namespace SceneAccessibility {
void install();
}

// Announces each change of the text of item (a text input) to assistive technology, as the
// removed and the inserted text. It lives as long as the item.
class TextEcho : public QObject
{
    Q_OBJECT

public:
    static void follow(QObject *item);

private slots:
    void textChanged();

private:
    explicit TextEcho(QObject *item);

    QObject *m_item;
    QString m_text;
};
