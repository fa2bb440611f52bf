#include "WindowFixture.h"

namespace {

QString queueStateOf(const Controller* controller)
{
    return QStringLiteral("%1|%2|%3")
        .arg(controller->percentageLabel->text())
        .arg(controller->progress->value())
        .arg(controller->progress0->value());
}

} // namespace

OperationRecorder::OperationRecorder(RemoteOperation* operation, Controller* controller)
{
    QObject::connect(controller->queueDisplay, &QueueDisplay::changed, &context,
                     [this, controller] { states.append(queueStateOf(controller)); });
    QObject::connect(operation, &RemoteOperation::finished, &context,
                     [this](const OperationOutcome& result) {
                         ended = true;
                         status = result.statusText();
                     });
}

bool OperationRecorder::waitForEnd(int timeoutMs)
{
    return QTest::qWaitFor([this] { return ended; }, timeoutMs);
}

void WindowFixture::startServer(const FtpServer::Options& options)
{
    server = std::make_unique<FtpServer>(options);
    ASSERT_TRUE(server->start()) << server->log().toStdString();
}

void WindowFixture::startApp()
{
    app = std::make_unique<TandrelApp>();
    c = app->controller();
    app->window()->show();
    QObject::connect(controller(), &Controller::listingStopped, [this] { ++listingsEnded; });
}

void WindowFixture::connectAs(const QString& user, const QString& password, quint16 port)
{
    c->hostField->setText(server ? server->urlHost() : QStringLiteral("127.0.0.1"));
    c->portField->setText(QString::number(port ? port : server->port()));
    if (c->anonymousCheckBox->isChecked() != user.isEmpty())
        c->anonymousCheckBox->click();
    if (!user.isEmpty()) {
        c->userField->setText(user);
        c->passwordField->setText(password);
    }
    c->connectItem->trigger();
}

void WindowFixture::connectAndList(quint16 port)
{
    if (!app)
        startApp();
    connectAnonymously(port);
    ASSERT_TRUE(waitForListing());
    ASSERT_EQ(controller()->status, "List succeeded");
    controller()->downloadFolder = downloads.path();
}

int WindowFixture::rowNamed(const QString& name) const
{
    for (int row = 0; row < controller()->numberOfRowsInTableView(); ++row)
        if (cell("FileName", row) == name)
            return row;
    return -1;
}

void WindowFixture::doubleClickRow(int row)
{
    // A click first: a double-click alone does not reach the table offscreen.
    selectRow(row);
    QTableView* table = controller()->serverTable;
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {},
                       table->visualRect(controller()->tableIndexOfRow(row)).center());
}

void WindowFixture::selectRow(int row, Qt::KeyboardModifiers modifiers)
{
    QTableView* table = controller()->serverTable;
    const QModelIndex index = controller()->tableIndexOfRow(row);
    table->scrollTo(index);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers,
                      table->visualRect(index).center());
}

void WindowFixture::downloadRow(const QString& name)
{
    selectRow(rowNamed(name));
    controller()->downloadButton->click();
}

void WindowFixture::stallDownload(const QString& name)
{
    {
        StreamModalHold hold;
        downloadRow(name);
        ASSERT_TRUE(download()->isRunning() && download()->networkStream);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return download()->networkStream->bufferedBytes() > 0; }, 20000));
        server->suspend();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return download()->receivedBytes() > 0; }, 20000));
}

std::optional<QString> WindowFixture::runToEnd(RemoteOperation* operation,
                                               const std::function<void()>& start,
                                               QStringList* states)
{
    OperationRecorder recorder(operation, c);
    start();
    if (!recorder.waitForEnd())
        return QStringLiteral("<no end>");
    if (states)
        *states = recorder.states;
    return recorder.status;
}

void WindowFixture::uploadFiles(const QStringList& paths)
{
    toolkit.answerOpenPanel(Toolkit::kDefaultReturn, paths);
    c->uploadButton->click();
}

void WindowFixture::activate()
{
    c->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(c->window));
    c->serverTable->setFocus();
}

void WindowFixture::addListedEntry(const QByteArray& name, int type)
{
    ListingEntry entry;
    entry.rawName = name;
    entry.kCFFTPResourceName = QString::fromUtf8(name);
    entry.kCFFTPResourceType = type;
    entry.kCFFTPResourceSize = 10;
    controller()->addListEntries({entry});
}

QString WindowFixture::queueState() const
{
    return queueStateOf(controller());
}

int WindowFixture::enabledBrowserButtons() const
{
    int enabled = 0;
    for (const QPushButton* button : {c->preButton, c->reloadButton, c->downloadButton,
                                      c->uploadButton, c->createDirButton, c->deleteButton})
        enabled += button->isEnabled() ? 1 : 0;
    return enabled;
}

::testing::AssertionResult WindowFixture::statusStartsWith(const QString& prefix) const
{
    const QString shown = c->statusLabel->text();
    if (shown.startsWith(prefix))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the status line shows \"" << shown.toStdString() << '"';
}
