#include "WindowFixture.h"

#include "CustomWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

void WindowFixture::startServer(const FtpServer::Options& options)
{
    server = std::make_unique<FtpServer>(options);
    ASSERT_TRUE(server->start()) << server->log().toStdString();
}

void WindowFixture::startApp()
{
    app = std::make_unique<TandrelApp>();
    app->window()->show();
    QObject::connect(controller(), &Controller::listingStopped, [this] { ++listingsEnded; });
}

QString WindowFixture::rootUrl() const
{
    return QStringLiteral("ftp://127.0.0.1:%1/").arg(server->port());
}

void WindowFixture::connectAnonymously()
{
    controller()->hostField->setText(QStringLiteral("127.0.0.1"));
    controller()->portField->setText(QString::number(server->port()));
    if (!controller()->anonymousCheckBox->isChecked())
        controller()->anonymousCheckBox->click();
    controller()->connectItem->trigger();
}

bool WindowFixture::waitForListing(int timeoutMs)
{
    return QTest::qWaitFor([this] { return !controller()->isReceiving(); }, timeoutMs);
}

int WindowFixture::rowNamed(const QString& name) const
{
    for (int row = 0; row < controller()->numberOfRowsInTableView(); ++row)
        if (cell("FileName", row) == name)
            return row;
    return -1;
}

QString WindowFixture::cell(const char* column, int row) const
{
    return controller()->tableViewObjectValue(QLatin1String(column), row);
}

void WindowFixture::doubleClickRow(int row)
{
    QTableView* table = controller()->serverTable;
    const QModelIndex index = table->model()->index(row, 1);
    table->scrollTo(index);
    const QPoint at = table->visualRect(index).center();
    // A click first: a double-click alone does not reach the table offscreen.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
}
