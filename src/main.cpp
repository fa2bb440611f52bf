#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QTimer>

#include "Classes/Controller.h"
#include "CustomWindow.h"
#include "TandrelApp.h"
#include "platform/SingleInstance.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tandrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tandrel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/tandrel.png")));
    QApplication::setDesktopFileName(QStringLiteral("tandrel"));
    TandrelApp::loadTranslations(app, QLocale::system());

    // `tandrel ftp://host/folder/`: a Tandrel that runs already opens the link in its window.
    const QString link = QApplication::arguments().value(1);
    if (!link.isEmpty() && SingleInstance::handOver(link))
        return 0;

    TandrelApp tandrel;
    SingleInstance links;
    links.listen();
    Controller* controller = tandrel.controller();
    QWidget* window = tandrel.window();
    QObject::connect(&links, &SingleInstance::linkReceived, controller,
                     [controller, window](const QString& received) {
                         window->showNormal();
                         window->raise();
                         window->activateWindow();
                         controller->openLink(received);
                     });
    window->show();
    // Opened once the window shows, so that a bad link's alert has a window to stand on.
    if (!link.isEmpty())
        QTimer::singleShot(0, controller, [controller, link] { controller->openLink(link); });
    return QApplication::exec();
}
