#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

// Window layouts are given in twips, 15 to a pixel at 96 dots per inch. Qt
// scales the pixels on other densities.
constexpr QRect FromTwips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// Names a control as the window's code knows it, puts it where the layout
// says and gives it its font.
template <typename Widget>
Widget *Place(Widget *widget, const char *name, const QRect &geometry, const QFont &font)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    widget->setFont(font);
    return widget;
}
