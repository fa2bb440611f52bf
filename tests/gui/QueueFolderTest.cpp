#include <QAbstractItemView>

#include "Classes/TransferQueue.h"
#include "WindowFixture.h"

// A folder's row on the Queue tab opens to its files.
class QueueFolder : public WindowFixture
{
protected:
    TransferQueue* queue() const { return app->transferQueue(); }
    QAbstractItemView* view() const
    {
        return app->window()->findChild<QAbstractItemView*>("queueTable");
    }

    // Downloads the tree folder and waits, bounded, for the queue to be empty.
    bool downloadTree()
    {
        connectAndList();
        bool drained = false;
        QObject context;
        QObject::connect(queue(), &TransferQueue::drained, &context, [&] { drained = true; });
        selectRow(rowNamed("tree"));
        c->downloadButton->click();
        return QTest::qWaitFor([&] { return drained; }, 60000);
    }
    // Opens the folder's row with the keyboard, as a user does, and answers its files' rows as
    // "path|outcome", sorted.
    QStringList openFolder()
    {
        c->tabView->setCurrentWidget(c->queueTabViewItem);
        activate();
        view()->setFocus();
        view()->setCurrentIndex(queue()->index(0, 0));
        QTest::keyClick(view(), Qt::Key_Right);
        return fileRows();
    }
    QStringList fileRows() const
    {
        const QModelIndex folder = queue()->index(0, 0);
        QStringList rows;
        for (int row = 0; row < queue()->rowCount(folder); ++row)
            rows.append(
                queue()->index(row, TransferQueue::NameColumn, folder).data().toString() + "|" +
                queue()->index(row, TransferQueue::OutcomeColumn, folder).data().toString());
        rows.sort();
        return rows;
    }
    QModelIndex fileNamed(const QString& path) const
    {
        const QModelIndex folder = queue()->index(0, 0);
        for (int row = 0; row < queue()->rowCount(folder); ++row)
            if (queue()->index(row, 0, folder).data().toString() == path)
                return queue()->index(row, 0, folder);
        return {};
    }
    // Selects the row and runs the row menu's item on it.
    void runItemOn(const char* item, const QModelIndex& row)
    {
        view()->setCurrentIndex(row);
        view()->findChild<QAction*>(item)->trigger();
    }
};

TEST_F(QueueFolder, AFolderRowOpensToItsFilesWithTheirStates)
{
    FtpServer::Options options;
    options.failOnce = QStringLiteral("b.bin");
    startServer(options);
    ASSERT_TRUE(QDir(root()).mkpath("tree/sub"));
    writeFile(server->localPath("tree/a.txt"), "a");
    writeFile(server->localPath("tree/b.bin"), pattern(100000));
    writeFile(server->localPath("tree/sub/c.txt"), "c");
    ASSERT_TRUE(downloadTree());
    // Nothing is made for the files until the row opens.
    EXPECT_EQ(queue()->rowCount(queue()->index(0, 0)), 0);
    const QString tip =
        queue()->index(0, TransferQueue::OutcomeColumn).data(Qt::ToolTipRole).toString();
    const QString why = tip.mid(tip.indexOf("tree/b.bin: ") + 12).section('\n', 0, 0);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(openFolder(), (QStringList{"a.txt|Done", "b.bin|" + why, "sub/c.txt|Done"}));
}

TEST_F(QueueFolder, RetryingOneFailedFileFetchesJustIt)
{
    FtpServer::Options options;
    options.failOnce = QStringLiteral("b.bin");
    startServer(options);
    ASSERT_TRUE(QDir(root()).mkpath("tree/sub"));
    const QByteArray b = pattern(100000);
    writeFile(server->localPath("tree/b.bin"), b);
    writeFile(server->localPath("tree/sub/b.bin"), b);
    ASSERT_TRUE(downloadTree());
    const QStringList failed = openFolder();
    ASSERT_EQ(failed.size(), 2);

    int drains = 0;
    QObject::connect(queue(), &TransferQueue::drained, [&] { ++drains; });
    runItemOn("retryTransferItem", fileNamed("sub/b.bin"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return drains > 0; }, 60000));
    EXPECT_EQ(fileRows(), (QStringList{failed.first(), "sub/b.bin|Done"}));
    EXPECT_TRUE(readFile(downloads.filePath("tree/sub/b.bin")) == b);
    EXPECT_FALSE(readFile(downloads.filePath("tree/b.bin")) == b);
    EXPECT_EQ(queue()->index(0, TransferQueue::OutcomeColumn).data().toString(),
              "1 file, 1 failed");
}

TEST_F(QueueFolder, CancellingTheFolderRowStopsItsFiles)
{
    FtpServer::Options options;
    options.hangSuffix = QStringLiteral(".hang");
    startServer(options);
    ASSERT_TRUE(QDir(root()).mkdir("tree"));
    for (const char* name : {"tree/x.hang", "tree/y.hang", "tree/z.hang"})
        writeFile(server->localPath(name), "data");
    UserDefaults::standardUserDefaults().setObject(QStringLiteral("1"), Setting::TransfersAtOnce);
    connectAndList();
    selectRow(rowNamed("tree"));
    c->downloadButton->click();
    // One file moves (and waits for its end forever); the others wait for the connection.
    ASSERT_TRUE(QTest::qWaitFor([&] { return download()->receivedBytes() > 0; }, 20000));
    const QStringList moving = openFolder();
    ASSERT_EQ(moving.size(), 3);
    EXPECT_EQ(moving.filter("|Waiting").size(), 2);
    EXPECT_EQ(moving.filter("|Running").size(), 1);

    runItemOn("cancelTransferItem", queue()->index(0, 0));
    EXPECT_EQ(queue()->index(0, TransferQueue::OutcomeColumn).data().toString(),
              "Cancelled (0 files)");
    // The moving file stopped; those that waited are not fetched.
    const QString stopped = moving.filter("|Running").first().section('|', 0, 0);
    EXPECT_EQ(fileRows(), (QStringList{stopped + "|Cancelled"}));
    EXPECT_FALSE(download()->isRunning());
    for (const QString& waited : moving.filter("|Waiting"))
        EXPECT_TRUE(
            folderEntries(downloads.filePath("tree")).filter(waited.section('|', 0, 0)).isEmpty());
}

// A tree view lays out every row it holds whenever rows come: a page at a time keeps that short.
TEST_F(QueueFolder, AFolderOfManyFilesOpensAPageAtATimeAndScrollingToItsEndShowsMore)
{
    FtpServer::Options options;
    options.hangSuffix = QStringLiteral(".hang");
    startServer(options);
    ASSERT_TRUE(QDir(root()).mkdir("tree"));
    for (int n = 0; n < 1500; ++n)
        writeFile(server->localPath(QStringLiteral("tree/f%1.hang").arg(n)), "");
    UserDefaults::standardUserDefaults().setObject(QStringLiteral("1"), Setting::TransfersAtOnce);
    connectAndList();
    selectRow(rowNamed("tree"));
    c->downloadButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue()->transfers()[0].filesFound == 1500; }, 20000));
    EXPECT_EQ(openFolder().size(), 1000);
    QTest::keyClick(view(), Qt::Key_End);
    EXPECT_EQ(queue()->rowCount(queue()->index(0, 0)), 1500);
    c->cancelButton->click();
}
