#include <QDropEvent>
#include <QMimeData>

#include "Classes/TransferQueue.h"
#include "WindowFixture.h"

class Queue : public WindowFixture
{
protected:
    TransferQueue* queue() const { return app->transferQueue(); }
    QTableView* queueTable() const { return app->window()->findChild<QTableView*>("queueTable"); }

    void connectAndWatch()
    {
        connectAndList();
        QObject::connect(queue(), &TransferQueue::drained, [this] { ++drains; });
    }
    // Clicks the first name's row and Ctrl-clicks the others, as a user selects them.
    void selectRows(const QStringList& names)
    {
        for (const QString& name : names)
            selectRow(rowNamed(name), name == names.first() ? Qt::NoModifier : Qt::ControlModifier);
    }
    // Starts downloads of three files; the first runs, the others wait.
    void queueThree()
    {
        startServer();
        for (const char* name : {"a.bin", "b.bin", "d.bin"})
            writeFile(server->localPath(name), pattern(100000));
        connectAndWatch();
        selectRows({"a.bin", "b.bin", "d.bin"});
        c->downloadButton->click();
    }
    bool waitForQueue()
    {
        const int before = drains;
        return QTest::qWaitFor([&] { return drains > before; }, 60000);
    }
    // Each row of the Queue tab as "name|outcome".
    QStringList queueRows() const
    {
        QStringList rows;
        for (int row = 0; row < queue()->rowCount(); ++row)
            rows.append(
                queue()->data(queue()->index(row, TransferQueue::NameColumn)).toString() + "|" +
                queue()->data(queue()->index(row, TransferQueue::OutcomeColumn)).toString());
        return rows;
    }

    int drains = 0;
    QTemporaryDir local;
};

TEST_F(Queue, DownloadsTheSelectedFilesOneAfterAnotherAndSkipsFolders)
{
    startServer();
    const QByteArray a = pattern(300000), b = pattern(1000), d = pattern(70001);
    writeFile(server->localPath("a.bin"), a);
    writeFile(server->localPath("b.txt"), b);
    writeFile(server->localPath("d.bin"), d);
    ASSERT_TRUE(QDir(root()).mkdir("sub"));
    connectAndWatch();

    // The browser stays locked from the first start to the last end.
    QList<int> buttonsAtEnds;
    QObject context;
    QObject::connect(download(), &RemoteOperation::finished, &context,
                     [&] { buttonsAtEnds.append(enabledBrowserButtons()); });
    selectRows({"a.bin", "sub", "b.txt", "d.bin"});
    EXPECT_EQ(c->selectedRows().size(), 4);
    c->downloadButton->click();
    EXPECT_EQ(c->statusLabel->text(), "Skipped 1 folder");
    EXPECT_TRUE(download()->isRunning());
    EXPECT_EQ(queueRows(), (QStringList{"↓ a.bin|Running", "↓ b.txt|Waiting", "↓ d.bin|Waiting"}));

    ASSERT_TRUE(waitForQueue());
    EXPECT_EQ(queueRows(), (QStringList{"↓ a.bin|Done", "↓ b.txt|Done", "↓ d.bin|Done"}));
    EXPECT_EQ(buttonsAtEnds, (QList<int>{0, 0, 5}));
    EXPECT_TRUE(readFile(downloads.filePath("a.bin")) == a);
    EXPECT_TRUE(readFile(downloads.filePath("b.txt")) == b);
    EXPECT_TRUE(readFile(downloads.filePath("d.bin")) == d);
    EXPECT_EQ(folderEntries(downloads.path()), (QStringList{"a.bin", "b.txt", "d.bin"}));
}

TEST_F(Queue, AWaitingTransferCanBeRemovedTheRunningOneCannot)
{
    queueThree();

    // The Delete key on the Queue tab's list takes the waiting b.bin off; the running a.bin
    // stays.
    c->tabView->setCurrentWidget(c->queueTabViewItem);
    activate();
    queueTable()->setFocus();
    queueTable()->selectRow(1);
    QTest::keyClick(queueTable(), Qt::Key_Delete);
    EXPECT_EQ(queueRows(), (QStringList{"↓ a.bin|Running", "↓ d.bin|Waiting"}));
    queueTable()->selectRow(0);
    app->window()->findChild<QPushButton*>("removeTransferButton")->click();
    EXPECT_EQ(queueRows().size(), 2);
}

// Disconnecting asks about the running one; kept running, nothing changes. Cancelled, it stops
// and no waiting one starts on the next server.
TEST_F(Queue, ADisconnectAsksFirstThenDropsTheRestAndFinishedRowsCanBeCleared)
{
    queueThree();
    toolkit.answerAlert(Toolkit::kAlternateReturn);
    c->disconnectItem->trigger();
    EXPECT_TRUE(c->disconnectItem->isEnabled());
    EXPECT_EQ(queueRows(), (QStringList{"↓ a.bin|Running", "↓ b.bin|Waiting", "↓ d.bin|Waiting"}));
    toolkit.answerAlert(Toolkit::kDefaultReturn);
    c->disconnectItem->trigger();
    ASSERT_TRUE(waitForQueue());
    EXPECT_EQ(queueRows(), (QStringList{"↓ a.bin|Cancelled", "↓ b.bin|Not started: disconnected",
                                        "↓ d.bin|Not started: disconnected"}));
    for (const char* name : {"a.bin", "b.bin", "d.bin"})
        EXPECT_FALSE(QFile::exists(downloads.filePath(name))) << name;
    app->window()->findChild<QPushButton*>("clearTransfersButton")->click();
    EXPECT_EQ(queue()->rowCount(), 0);
}

TEST_F(Queue, SeveralFilesFromTheOpenPanelOrDroppedOnTheTableUploadPastOneRefused)
{
    startServer();
    ASSERT_TRUE(QDir(root()).mkdir("in"));
    connectAndWatch();
    const QByteArray one = pattern(100000), two = pattern(40000);
    writeFile(local.filePath("one.bin"), one);
    writeFile(local.filePath("bad\nname"), "x");
    writeFile(local.filePath("two.bin"), two);
    uploadFiles(
        {local.filePath("one.bin"), local.filePath("bad\nname"), local.filePath("two.bin")});
    ASSERT_EQ(toolkit.panelsShown.size(), 1);
    EXPECT_TRUE(toolkit.panelsShown.first().allowsMultipleSelection);

    ASSERT_TRUE(waitForQueue());
    ASSERT_TRUE(waitForListing());
    const QStringList rows = queueRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], "↑ one.bin|Done");
    EXPECT_TRUE(rows[1].contains("Refused to upload")) << rows[1].toStdString();
    // A cell cuts a long outcome with "…"; its tool tip holds the whole.
    const QModelIndex refused = queue()->index(1, TransferQueue::OutcomeColumn);
    EXPECT_EQ(queue()->data(refused, Qt::ToolTipRole), queue()->data(refused));
    EXPECT_EQ(rows[2], "↑ two.bin|Done");
    EXPECT_TRUE(readFile(server->localPath("one.bin")) == one);
    EXPECT_TRUE(readFile(server->localPath("two.bin")) == two);
    EXPECT_GE(rowNamed("two.bin"), 0);
    EXPECT_EQ(enabledBrowserButtons(), 5); // all but the parent-folder button, at the root

    // Dropped on the table, files go to the folder shown; a folder among them is skipped.
    app->window()->findChild<QPushButton*>("clearTransfersButton")->click();
    doubleClickRow(rowNamed("in"));
    ASSERT_TRUE(waitForListing());
    ASSERT_TRUE(QDir(local.path()).mkdir("folder"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(local.filePath("one.bin")),
                  QUrl::fromLocalFile(local.filePath("folder")),
                  QUrl::fromLocalFile(local.filePath("two.bin"))});
    QWidget* viewport = c->serverTable->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    const int listings = listingsEnded;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(c->statusLabel->text(), "Skipped 1 folder");

    ASSERT_TRUE(waitForQueue());
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(queueRows(), (QStringList{"↑ one.bin|Done", "↑ two.bin|Done"}));
    EXPECT_TRUE(readFile(server->localPath("in/one.bin")) == one);
    EXPECT_TRUE(readFile(server->localPath("in/two.bin")) == two);
    // The folder is listed again once, after the last of the two.
    EXPECT_EQ(listingsEnded, listings + 1);
    EXPECT_GE(rowNamed("one.bin"), 0);
    EXPECT_GE(rowNamed("two.bin"), 0);
}
