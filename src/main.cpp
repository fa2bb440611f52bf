#include <QApplication>
#include <QIcon>
#include <QLocale>

#include "CustomWindow.h"
#include "TandrelApp.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tandrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tandrel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/tandrel.png")));
    QApplication::setDesktopFileName(QStringLiteral("tandrel"));
    TandrelApp::loadTranslations(app, QLocale::system());

    TandrelApp tandrel;
    tandrel.window()->show();
    return QApplication::exec();
}
