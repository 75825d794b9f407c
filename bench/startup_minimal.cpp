// The smallest Qt Widgets program to compare with: one label in a window of
// the main window's size.

#include "FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(312, 213);
    QLabel label(QStringLiteral("打印内容："), &window);
    label.move(8, 8);
    new FirstPaint(&window);
    window.show();
    return app.exec();
}
