#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tandrel"));
    QLabel window(QStringLiteral("Tandrel"));
    window.setMinimumSize(320, 120);
    window.show();
    return QApplication::exec();
}
