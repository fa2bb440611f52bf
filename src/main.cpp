#include <functional>

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QTimer>

#include "Classes/Controller.h"
#include "CustomWindow.h"
#include "TandrelApp.h"
#include "platform/SingleInstance.h"
#include "platform/WarmUp.h"

int main(int argc, char* argv[])
{
    WarmUp warmUp;
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

    warmUp.waitForFonts();
    TandrelApp tandrel;
    SingleInstance links;
    links.listen();
    Controller* controller = tandrel.controller();
    QWidget* window = tandrel.window();
    // A link that comes while a dialog is up waits until it closes: the dialog's answer belongs
    // to the connection it asked about.
    std::function<void(const QString&)> open = [&](const QString& received) {
        if (QApplication::activeModalWidget()) {
            QTimer::singleShot(250, controller, [&open, received] { open(received); });
            return;
        }
        window->showNormal();
        window->raise();
        window->activateWindow();
        controller->openLink(received);
    };
    QObject::connect(&links, &SingleInstance::linkReceived, controller, open);
    window->show();
    // Opened once the window shows, so that a bad link's alert has a window to stand on.
    if (!link.isEmpty())
        QTimer::singleShot(0, controller, [controller, link] { controller->openLink(link); });
    return QApplication::exec();
}
