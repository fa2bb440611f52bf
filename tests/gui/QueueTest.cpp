#include <filesystem>

#include <QDropEvent>
#include <QMimeData>
#include <QTreeView>

#include "Classes/TransferQueue.h"
#include "WindowFixture.h"
#include "platform/UserDefaults.h"

class Queue : public WindowFixture
{
protected:
    TransferQueue* queue() const { return app->transferQueue(); }
    QAbstractItemView* queueTable() const
    {
        return app->window()->findChild<QAbstractItemView*>("queueTable");
    }
    QPushButton* button(const char* name) const
    {
        return app->window()->findChild<QPushButton*>(name);
    }

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
    // Downloads the rows of those names and waits for the queue to drain.
    bool fetch(const QStringList& names)
    {
        selectRows(names);
        c->downloadButton->click();
        return waitForQueue();
    }
    // Uploads the paths and waits for the queue to drain and the folder to be listed again.
    bool send(const QStringList& paths)
    {
        uploadFiles(paths);
        return waitForQueue() && waitForListing();
    }
    // Starts downloads of three files; the first two run, the third waits.
    void queueThree()
    {
        startServer();
        writeFiles(
            root(),
            {{"a.bin", pattern(100000)}, {"b.bin", pattern(100000)}, {"d.bin", pattern(100000)}});
        connectAndWatch();
        selectRows({"a.bin", "b.bin", "d.bin"});
        c->downloadButton->click();
    }
    // Focuses the Queue tab's list with its row selected, as typed keys need.
    void focusQueueRow(int row)
    {
        c->tabView->setCurrentWidget(c->queueTabViewItem);
        activate();
        queueTable()->setFocus();
        queueTable()->setCurrentIndex(queue()->index(row, 0));
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
    // The rows of the folder in the first row, opened with the keyboard: "path|outcome", sorted.
    QStringList openFolder()
    {
        focusQueueRow(0);
        QTest::keyClick(queueTable(), Qt::Key_Right);
        return fileRows();
    }
    QStringList fileRows() const
    {
        const QModelIndex folder = queue()->index(0, 0);
        QStringList rows;
        for (int row = 0; row < queue()->rowCount(folder); ++row)
            rows.append(
                queue()->index(row, 0, folder).data().toString() + "|" +
                queue()->index(row, TransferQueue::OutcomeColumn, folder).data().toString());
        rows.sort();
        return rows;
    }
    // Selects the row and runs the row menu's item on it.
    void runItemOn(const char* item, const QModelIndex& row)
    {
        queueTable()->setCurrentIndex(row);
        queueTable()->findChild<QAction*>(item)->trigger();
    }
    QString toolTip(int row) const
    {
        return queue()
            ->data(queue()->index(row, TransferQueue::OutcomeColumn), Qt::ToolTipRole)
            .toString();
    }

    int drains = 0;
    QTemporaryDir local;
};

TEST_F(Queue, DownloadsTheSelectedFilesAndFoldersOneAfterAnother)
{
    startServer();
    const QByteArray a = pattern(300000), b = pattern(1000), d = pattern(70001);
    writeFiles(root(), {{"a.bin", a}, {"b.txt", b}, {"d.bin", d}, {"sub/in.txt", b}});
    store().setObject("1", Setting::TransfersAtOnce);
    connectAndWatch();

    // The browser stays locked from the first start to the last end.
    QList<int> buttonsAtEnds;
    QObject context;
    QObject::connect(download(), &RemoteOperation::finished, &context,
                     [&] { buttonsAtEnds.append(enabledBrowserButtons()); });
    selectRows({"a.bin", "sub", "b.txt", "d.bin"});
    EXPECT_EQ(c->selectedRows().size(), 4);
    c->downloadButton->click();
    EXPECT_EQ(queueRows(), (QStringList{"↓ a.bin|Running", "↓ b.txt|Waiting", "↓ d.bin|Waiting",
                                        "↓ sub/|Waiting"}));

    ASSERT_TRUE(waitForQueue());
    EXPECT_EQ(queueRows(),
              (QStringList{"↓ a.bin|Done", "↓ b.txt|Done", "↓ d.bin|Done", "↓ sub/|Done: 1 file"}));
    EXPECT_EQ(buttonsAtEnds, (QList<int>{0, 0, 0, 0}));
    EXPECT_EQ(enabledBrowserButtons(), 5);
    EXPECT_TRUE(readFile(downloads.filePath("a.bin")) == a);
    EXPECT_TRUE(readFile(downloads.filePath("b.txt")) == b);
    EXPECT_TRUE(readFile(downloads.filePath("d.bin")) == d);
    EXPECT_EQ(folderEntries(downloads.path()), (QStringList{"a.bin", "b.txt", "d.bin", "sub"}));
    EXPECT_TRUE(readFile(downloads.filePath("sub/in.txt")) == b);
}

TEST_F(Queue, TheWindowStaysStillBetweenAFoldersFiles)
{
    // The cancel button (and the bars) stay shown and the browser buttons locked from the first
    // file to the last: flipping them between two files only repaints the window.
    startServer();
    writeFiles(root(), {{"tree/a", "a"}, {"tree/b", "b"}, {"tree/c", "c"}});
    store().setObject("1", Setting::TransfersAtOnce);
    connectAndWatch();
    QStringList seen;
    QObject context;
    QObject::connect(c->queueDisplay, &QueueDisplay::changed, &context, [&] {
        const QString state =
            QStringLiteral("%1 %2").arg(c->cancelButton->isHidden() ? "hidden" : "shown",
                                        QString::number(enabledBrowserButtons()));
        if (seen.isEmpty() || seen.last() != state)
            seen.append(state);
    });
    ASSERT_TRUE(fetch({"tree"}));
    EXPECT_EQ(seen, (QStringList{"shown 0", "hidden 0"}));
}

// Each file keeps its row; the connections are logged in once and take file after file.
TEST_F(Queue, SeveralFilesMoveSideBySideOnTheConnectionsSetEachInItsOwnRow)
{
    startServer();
    QList<QByteArray> contents;
    QStringList paths;
    for (int n = 0; n < 3; ++n) {
        contents.append(pattern(3000000 + n));
        writeFile(server->localPath(QStringLiteral("f%1.bin").arg(n)), contents.last());
        paths.append(local.filePath(QStringLiteral("u%1.bin").arg(n)));
        writeFile(paths.last(), contents.last());
    }
    store().setObject("2", Setting::TransfersAtOnce);
    connectAndWatch();
    const int connectionsBefore = server->connections();
    selectRows({"f0.bin", "f1.bin", "f2.bin"});
    c->downloadButton->click();
    EXPECT_EQ(queueRows(),
              (QStringList{"↓ f0.bin|Running", "↓ f1.bin|Running", "↓ f2.bin|Waiting"}));
    ASSERT_TRUE(waitForQueue());
    EXPECT_EQ(queueRows(), (QStringList{"↓ f0.bin|Done", "↓ f1.bin|Done", "↓ f2.bin|Done"}));
    EXPECT_LE(server->connections() - connectionsBefore, 2);

    ASSERT_TRUE(send(paths));
    for (int n = 0; n < 3; ++n) {
        EXPECT_TRUE(readFile(downloads.filePath(QStringLiteral("f%1.bin").arg(n))) == contents[n]);
        EXPECT_TRUE(readFile(server->localPath(QStringLiteral("u%1.bin").arg(n))) == contents[n]);
        EXPECT_GE(rowNamed(QStringLiteral("u%1.bin").arg(n)), 0);
    }
    EXPECT_EQ(server->mostMovingAtOnce(), 2);
    EXPECT_EQ(enabledBrowserButtons(), 5);
}

TEST_F(Queue, AWaitingTransferCanBeRemovedTheRunningOneCannot)
{
    queueThree();
    // The Delete key on the Queue tab's list takes the waiting d.bin off; the running a.bin
    // stays.
    focusQueueRow(2);
    QTest::keyClick(queueTable(), Qt::Key_Delete);
    EXPECT_EQ(queueRows(), (QStringList{"↓ a.bin|Running", "↓ b.bin|Running"}));
    queueTable()->setCurrentIndex(queue()->index(0, 0));
    button("removeTransferButton")->click();
    EXPECT_EQ(queueRows().size(), 2);
}

// Disconnecting asks about the running ones; kept running, nothing changes. Cancelled, they stop
// and no waiting one starts on the next server.
TEST_F(Queue, ADisconnectAsksFirstThenDropsTheRestAndFinishedRowsCanBeCleared)
{
    queueThree();
    toolkit.answerAlert(Toolkit::kAlternateReturn);
    c->disconnectItem->trigger();
    EXPECT_TRUE(c->disconnectItem->isEnabled());
    EXPECT_EQ(queueRows(), (QStringList{"↓ a.bin|Running", "↓ b.bin|Running", "↓ d.bin|Waiting"}));
    toolkit.answerAlert(Toolkit::kDefaultReturn);
    c->disconnectItem->trigger();
    ASSERT_TRUE(waitForQueue());
    EXPECT_EQ(queueRows(), (QStringList{"↓ a.bin|Cancelled", "↓ b.bin|Cancelled",
                                        "↓ d.bin|Not started: disconnected"}));
    for (const char* name : {"a.bin", "b.bin", "d.bin"})
        EXPECT_FALSE(QFile::exists(downloads.filePath(name))) << name;
    button("clearTransfersButton")->click();
    EXPECT_EQ(queue()->rowCount(), 0);
}

// A file still moving on another connection after the window's own has finished its part is a
// running transfer too: disconnecting asks first.
TEST_F(Queue, ADisconnectAsksWhileOnlyAnotherConnectionMovesAFile)
{
    startServer();
    writeFile(server->localPath("a.bin"), "tiny");
    writeSparseFile(server->localPath("big.bin"), 512 * 1024 * 1024);
    connectAndWatch();
    selectRows({"a.bin", "big.bin"});
    c->downloadButton->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return queueRows().value(0) == "↓ a.bin|Done"; }, 20000));
    server->suspend();
    ASSERT_EQ(queueRows().value(1), "↓ big.bin|Running");
    const qsizetype asked = toolkit.alertsShown.size();
    toolkit.answerAlert(Toolkit::kAlternateReturn);
    c->disconnectItem->trigger();
    EXPECT_EQ(toolkit.alertsShown.size(), asked + 1);
    EXPECT_EQ(queueRows().value(1), "↓ big.bin|Running");
    toolkit.answerAlert(Toolkit::kDefaultReturn);
    c->disconnectItem->trigger();
    ASSERT_TRUE(waitForQueue());
    EXPECT_EQ(queueRows().value(1), "↓ big.bin|Cancelled");
    server->resume();
}

TEST_F(Queue, SeveralFilesFromTheOpenPanelOrDroppedOnTheTableUploadPastOneRefused)
{
    startServer();
    ASSERT_TRUE(QDir(root()).mkdir("in"));
    connectAndWatch();
    const QByteArray one = pattern(100000), two = pattern(40000);
    writeFiles(local.path(), {{"one.bin", one}, {"bad\nname", "x"}, {"two.bin", two}});
    ASSERT_TRUE(
        send({local.filePath("one.bin"), local.filePath("bad\nname"), local.filePath("two.bin")}));
    ASSERT_EQ(toolkit.panelsShown.size(), 1);
    EXPECT_TRUE(toolkit.panelsShown.first().allowsMultipleSelection);
    const QStringList rows = queueRows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], "↑ one.bin|Done");
    EXPECT_TRUE(rows[1].contains("Refused to upload")) << rows[1].toStdString();
    // A cell cuts a long outcome with "…"; its tool tip holds the whole.
    EXPECT_EQ(toolTip(1), rows[1].section('|', 1));
    EXPECT_EQ(rows[2], "↑ two.bin|Done");
    EXPECT_TRUE(readFile(server->localPath("one.bin")) == one);
    EXPECT_TRUE(readFile(server->localPath("two.bin")) == two);
    EXPECT_GE(rowNamed("two.bin"), 0);
    EXPECT_EQ(enabledBrowserButtons(), 5); // all but the parent-folder button, at the root

    // Dropped on the table, files and folders go to the folder shown.
    button("clearTransfersButton")->click();
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

    ASSERT_TRUE(waitForQueue());
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(queueRows(),
              (QStringList{"↑ one.bin|Done", "↑ folder/|Done: 0 files", "↑ two.bin|Done"}));
    EXPECT_TRUE(QFileInfo(server->localPath("in/folder")).isDir());
    EXPECT_TRUE(readFile(server->localPath("in/one.bin")) == one);
    EXPECT_TRUE(readFile(server->localPath("in/two.bin")) == two);
    // The folder is listed again once, after the last of the two.
    EXPECT_EQ(listingsEnded, listings + 1);
    EXPECT_GE(rowNamed("one.bin"), 0);
    EXPECT_GE(rowNamed("two.bin"), 0);
}

TEST_F(Queue, AFolderComesWithItsTreeSkippingUnsafeNamesAndLinksThatAreNoFiles)
{
    startServer();
    const QByteArray a = pattern(70000), b = pattern(1000);
    writeFiles(root(), {{"tree/a.txt", a}, {"tree/deep/b.bin", b}, {"tree/esc\x1b[31m", "x"}});
    ASSERT_TRUE(QDir(root()).mkpath("tree/deep/empty"));
    ASSERT_TRUE(QFile::link("a.txt", server->localPath("tree/alink")));
    ASSERT_TRUE(QFile::link("..", server->localPath("tree/deep/up")));
    connectAndWatch();
    ASSERT_TRUE(fetch({"tree"}));
    EXPECT_EQ(queueRows(), (QStringList{"↓ tree/|Done: 3 files, 2 skipped"}));
    EXPECT_TRUE(toolTip(0).contains("tree/deep/up: "));
    const QString tree = downloads.filePath("tree");
    EXPECT_EQ(folderEntries(tree), (QStringList{"a.txt", "alink", "deep"}));
    EXPECT_EQ(folderEntries(tree + "/deep"), (QStringList{"b.bin", "empty"}));
    EXPECT_TRUE(readFile(tree + "/a.txt") == a);
    EXPECT_TRUE(readFile(tree + "/alink") == a);
    EXPECT_TRUE(readFile(tree + "/deep/b.bin") == b);
}

// Every line of a large folder's failures in one tool tip would take a second to lay out.
TEST_F(Queue, AFolderRowsToolTipListsTheFirstProblemsAndHowManyMore)
{
    startServer();
    writeFiles(root(), {{"tree/a.txt", "a"}});
    for (int n = 0; n < 25; ++n)
        ASSERT_TRUE(QFile::link("..", server->localPath(QStringLiteral("tree/up%1").arg(n))));
    connectAndWatch();
    ASSERT_TRUE(fetch({"tree"}));
    const QStringList lines = toolTip(0).split('\n');
    EXPECT_EQ(lines.size(), 22);
    EXPECT_EQ(lines.last(), "and 5 more");
}

TEST_F(Queue, AFolderListedWithNamesThatClimbOutOrAsItsOwnChildStaysInside)
{
    // Every folder lists the same lines: a child folder that is its parent again, and names
    // that would leave the target.
    writeFile(local.filePath("listing"), "drwxr-xr-x 2 u g 4096 Jan 01 12:00 sub\r\n"
                                         "-rw-r--r-- 1 u g 2 Jan 01 12:00 ../x\r\n"
                                         "-rw-r--r-- 1 u g 2 Jan 01 12:00 a/b\r\n"
                                         "-rw-r--r-- 1 u g 2 Jan 01 12:00 f.txt\r\n");
    startServer([&](auto& o) { o.listingFile = local.filePath("listing"); });
    writeFiles(root(), {{"sub/f.txt", "ok"}});
    ASSERT_TRUE(QDir(root()).mkpath("sub/sub"));
    connectAndWatch();
    ASSERT_TRUE(fetch({"sub"}));
    EXPECT_EQ(queueRows(), (QStringList{"↓ sub/|Done: 1 file, 3 skipped"}));
    EXPECT_EQ(folderEntries(downloads.path()), (QStringList{"sub"}));
    EXPECT_EQ(folderEntries(downloads.filePath("sub")), (QStringList{"f.txt"}));
}

TEST_F(Queue, AFolderChosenForUploadGoesWithItsTreeSkippingSpecialFilesAndOutsideLinks)
{
    startServer();
    connectAndWatch();
    const QString site = local.filePath("site");
    const QByteArray page = pattern(50000);
    writeFiles(local.path(),
               {{"site/index.html", page}, {"site/css/style.css", "body {}"}, {"secret", "out"}});
    ASSERT_TRUE(QDir(site).mkpath("empty"));
    ASSERT_TRUE(QFile::link(local.filePath("secret"), site + "/out"));
    ASSERT_TRUE(QFile::link(site + "/index.html", site + "/same.html"));
    FifoWatch watch(site + "/pipe");
    ASSERT_TRUE(QDir(local.path()).mkdir("bad\ndir"));
    ASSERT_TRUE(send({local.filePath("bad\ndir"), site}));
    EXPECT_FALSE(watch.release());
    EXPECT_EQ(queueRows(), (QStringList{"↑ site/|Done: 3 files, 2 skipped"}));
    const QString sent = server->localPath("site");
    EXPECT_EQ(folderEntries(sent), (QStringList{"css", "empty", "index.html", "same.html"}));
    EXPECT_TRUE(readFile(sent + "/same.html") == page);
    EXPECT_EQ(readFile(sent + "/css/style.css"), "body {}");
    EXPECT_GE(rowNamed("site"), 0);
}

TEST_F(Queue, AFolderGoesOnWithTheConnectionsTheServerAllowsAndSaysSo)
{
    startServer([](auto& o) { o.maxConnections = 1; });
    QList<QByteArray> contents;
    for (int n = 0; n < 4; ++n) {
        contents.append(pattern(2000000 + n));
        writeFiles(root(), {{QStringLiteral("tree/f%1.bin").arg(n), contents.last()}});
    }
    connectAndWatch();
    ASSERT_TRUE(fetch({"tree"}));
    EXPECT_EQ(queueRows(), (QStringList{"↓ tree/|Done: 4 files"}));
    EXPECT_TRUE(
        c->statusLabel->text().endsWith("; The server refused another connection: going on with 1"))
        << c->statusLabel->text().toStdString();
    for (int n = 0; n < 4; ++n)
        EXPECT_TRUE(readFile(downloads.filePath(QStringLiteral("tree/f%1.bin").arg(n))) ==
                    contents[n]);
}

TEST_F(Queue, CancellingAFolderStopsEveryFileItMoves)
{
    startServer([](auto& o) { o.hangSuffix = ".hang"; });
    ASSERT_TRUE(QDir(root()).mkdir("tree"));
    writeSparseFile(server->localPath("tree/a.bin"));
    writeSparseFile(server->localPath("tree/b.hang"));
    connectAndWatch();
    selectRows({"tree"});
    c->downloadButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return download()->receivedBytes() > 0; }, 20000));
    c->cancelButton->click();
    EXPECT_TRUE(queueRows().value(0).startsWith("↓ tree/|Cancelled"))
        << queueRows().value(0).toStdString();
    // Neither the file the window showed nor the one beside it goes on.
    const auto bytesThere = [&] {
        qint64 bytes = 0;
        for (const QString& name : folderEntries(downloads.filePath("tree")))
            bytes += QFileInfo(downloads.filePath("tree/" + name)).size();
        return bytes;
    };
    const qint64 kept = bytesThere();
    QTest::qWait(300);
    EXPECT_EQ(bytesThere(), kept);
    EXPECT_FALSE(QFile::exists(downloads.filePath("tree/a.bin")));
    EXPECT_FALSE(QFile::exists(downloads.filePath("tree/b.hang")));
    EXPECT_EQ(enabledBrowserButtons(), 5);
}

TEST_F(Queue, EscStopsAFolderWhoseLastFileStillMovesBesideTheWindowsOwn)
{
    startServer([](auto& o) { o.hangSuffix = ".hang"; });
    writeFiles(root(), {{"tree/a.txt", "a"}, {"tree/b.hang", "b"}});
    connectAndWatch();
    selectRows({"tree"});
    c->downloadButton->click();
    // The window's own download ends; the file beside it waits for a reply that never comes.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(downloads.filePath("tree/a.txt")); }, 20000));
    c->cancelItem->trigger();
    EXPECT_EQ(queueRows(), (QStringList{"↓ tree/|Cancelled (1 file)"}));
    EXPECT_FALSE(QFile::exists(downloads.filePath("tree/b.hang")));
}

TEST_F(Queue, AFolderDownloadedAgainFetchesOnlyWhatChangedOrIsMissingOrKeepsBoth)
{
    startServer();
    writeFiles(root(), {{"tree/a.txt", "a"}, {"tree/b.txt", "b"}, {"tree/deep/c", "c"}});
    connectAndWatch();
    ASSERT_TRUE(fetch({"tree"}));
    const QString tree = downloads.filePath("tree");
    writeFile(server->localPath("tree/a.txt"), "changed");
    ASSERT_TRUE(QFile::remove(tree + "/deep/c"));
    // Asked once, for the first file there; the answer holds for the rest.
    toolkit.answerAlert(Toolkit::kDefaultReturn, "Overwrite if the size or date differs");
    ASSERT_TRUE(fetch({"tree"}));
    EXPECT_EQ(toolkit.alertsShown.size(), 1);
    EXPECT_TRUE(readFile(tree + "/a.txt") == "changed");
    queue()->onExists = TransferQueue::OnExists::KeepBoth;
    ASSERT_TRUE(fetch({"tree"}));
    EXPECT_EQ(queueRows(), (QStringList{"↓ tree/|Done: 3 files", "↓ tree/|Done: 2 files, 1 skipped",
                                        "↓ tree/|Done: 3 files"}));
    EXPECT_EQ(folderEntries(tree),
              (QStringList{"a (2).txt", "a.txt", "b (2).txt", "b.txt", "deep"}));
    EXPECT_EQ(folderEntries(tree + "/deep"), (QStringList{"c", "c (2)"}));
    EXPECT_TRUE(readFile(tree + "/b (2).txt") == "b");
}

TEST_F(Queue, ResumeContinuesAStoppedFilesPartBesideACopyThatListsAsTheSame)
{
    startServer([](auto& o) { o.failOnce = "big.bin"; });
    // Past what the stream holds: much of the first half reaches the disk before the failure.
    const QByteArray big = pattern(4000000);
    writeFiles(root(), {{"tree/a.txt", "a"}, {"tree/big.bin", big}});
    const std::string remote = QFile::encodeName(server->localPath("tree/big.bin")).toStdString();
    std::filesystem::last_write_time(remote, std::filesystem::last_write_time(remote) -
                                                 std::chrono::hours(24 * 400));
    // Of the listed size and newer: by the listing, the same file.
    const QString tree = downloads.filePath("tree");
    writeFiles(tree, {{"big.bin", QByteArray(big.size(), 'x')}});
    connectAndWatch();
    queue()->onExists = TransferQueue::OnExists::Overwrite;
    ASSERT_TRUE(fetch({"tree"}));
    ASSERT_TRUE(QFile::exists(tree + "/big.bin.part"));
    queue()->onExists.reset();
    toolkit.answerAlert(Toolkit::kDefaultReturn, "Resume");
    ASSERT_TRUE(fetch({"tree"}));
    EXPECT_EQ(queueRows(),
              (QStringList{"↓ tree/|1 file, 1 failed", "↓ tree/|Done: 1 file, 1 skipped"}));
    EXPECT_TRUE(readFile(tree + "/big.bin") == big);
    EXPECT_TRUE(server->commandLog().contains("REST ")) << server->commandLog().toStdString();
}

TEST_F(Queue, AFolderUploadedAgainAppendsReplacesSkipsOrKeepsBothAsChosen)
{
    startServer();
    connectAndWatch();
    const QString site = local.filePath("site");
    const QString sent = server->localPath("site");
    const QByteArray part = pattern(100000);
    // What a stopped upload left there, told apart from the local file's start.
    const QByteArray start(40000, 'x');
    writeFiles(site, {{"same.txt", "same"},
                      {"changed.txt", "new text"},
                      {"part.bin", part},
                      {"sub/new.txt", "new"}});
    writeFiles(
        sent,
        {{"same.txt", "same"}, {"changed.txt", "the old and longer text"}, {"part.bin", start}});
    ASSERT_TRUE(QDir(sent).mkpath("sub"));
    toolkit.answerAlert(Toolkit::kDefaultReturn, "Resume");
    ASSERT_TRUE(send({site}));
    EXPECT_EQ(toolkit.alertsShown.size(), 1);
    EXPECT_EQ(readFile(sent + "/changed.txt"), "new text");
    EXPECT_TRUE(readFile(sent + "/part.bin") == start + part.mid(start.size()));
    EXPECT_EQ(readFile(sent + "/sub/new.txt"), "new");
    queue()->onExists = TransferQueue::OnExists::KeepBoth;
    ASSERT_TRUE(send({site}));
    EXPECT_EQ(queueRows(),
              (QStringList{"↑ site/|Done: 3 files, 1 skipped", "↑ site/|Done: 4 files"}));
    EXPECT_EQ(folderEntries(sent), (QStringList{"changed (2).txt", "changed.txt", "part (2).bin",
                                                "part.bin", "same (2).txt", "same.txt", "sub"}));
    EXPECT_EQ(folderEntries(sent + "/sub"), (QStringList{"new (2).txt", "new.txt"}));
    EXPECT_TRUE(readFile(sent + "/part (2).bin") == part);
}

TEST_F(Queue, AFolderListsItsFailedFilesWithWhyAndRetryRunsOnlyThoseAgain)
{
    startServer([](auto& o) { o.failOnce = "b.bin"; });
    const QByteArray b = pattern(200000);
    writeFiles(root(), {{"tree/a.txt", "a"}, {"tree/b.bin", b}});
    connectAndWatch();
    ASSERT_TRUE(fetch({"tree"}));
    EXPECT_EQ(queueRows(), (QStringList{"↓ tree/|1 file, 1 failed"}));
    EXPECT_TRUE(toolTip(0).contains("tree/b.bin: "));
    writeFile(server->localPath("tree/a.txt"), "changed");
    focusQueueRow(0);
    const auto* retry = button("retryTransferButton");
    EXPECT_TRUE(retry->isEnabled());
    QTest::keyClick(queueTable(), Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(waitForQueue());
    EXPECT_FALSE(retry->isEnabled());
    EXPECT_EQ(queueRows(), (QStringList{"↓ tree/|Done: 2 files"}));
    EXPECT_EQ(toolTip(0), "Done: 2 files");
    EXPECT_TRUE(readFile(downloads.filePath("tree/b.bin")) == b);
    EXPECT_EQ(readFile(downloads.filePath("tree/a.txt")), "a");
}

TEST_F(Queue, AFullDiskStopsTheWholeTreeKeepingWhatIsComplete)
{
    startServer();
    writeFiles(root(), {{"tree/a.txt", "a"},
                        {"tree/sub/b.bin", pattern(100000)},
                        {"tree/sub/c.bin", pattern(100000)}});
    store().setObject("1", Setting::TransfersAtOnce);
    connectAndWatch();
    SmallDisk disk;
    if (!disk.works)
        GTEST_SKIP() << "the file size limit cannot be set";
    ASSERT_TRUE(fetch({"tree"}));
    EXPECT_EQ(c->statusLabel->text(), "No space left on the disk: 1 done, 2 not fetched");
    EXPECT_EQ(queueRows(),
              (QStringList{"↓ tree/|No space left on the disk: 1 done, 2 not fetched"}));
    EXPECT_EQ(readFile(downloads.filePath("tree/a.txt")), "a");
    // A small file comes whole next time: nothing of the one the disk stopped stays.
    EXPECT_EQ(folderEntries(downloads.filePath("tree/sub")), QStringList{});
}

TEST_F(Queue, AFolderRowOpensToItsFilesWithTheirStates)
{
    startServer([](auto& o) { o.failOnce = "b.bin"; });
    writeFiles(root(),
               {{"tree/a.txt", "a"}, {"tree/b.bin", pattern(100000)}, {"tree/sub/c.txt", "c"}});
    connectAndWatch();
    ASSERT_TRUE(fetch({"tree"}));
    // Nothing is made for the files until the row opens.
    EXPECT_EQ(queue()->rowCount(queue()->index(0, 0)), 0);
    const QString why = toolTip(0).section("tree/b.bin: ", 1).section('\n', 0, 0);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(openFolder(), (QStringList{"a.txt|Done", "b.bin|" + why, "sub/c.txt|Done"}));
}

TEST_F(Queue, RetryingOneFailedFileOfAFolderFetchesJustIt)
{
    startServer([](auto& o) { o.failOnce = "b.bin"; });
    const QByteArray b = pattern(100000);
    writeFiles(root(), {{"tree/b.bin", b}, {"tree/sub/b.bin", b}});
    connectAndWatch();
    ASSERT_TRUE(fetch({"tree"}));
    const QStringList failed = openFolder();
    ASSERT_EQ(failed.size(), 2);
    const QModelIndex row = queue()->index(1, 0, queue()->index(0, 0));
    const QString retried = row.data().toString();
    runItemOn("retryTransferItem", row);
    ASSERT_TRUE(waitForQueue());
    EXPECT_EQ(fileRows().filter("|Done"), (QStringList{retried + "|Done"}));
    EXPECT_TRUE(readFile(downloads.filePath("tree/" + retried)) == b);
    EXPECT_EQ(queueRows(), (QStringList{"↓ tree/|1 file, 1 failed"}));
}

TEST_F(Queue, CancellingAFolderRowStopsItsFiles)
{
    startServer([](auto& o) { o.hangSuffix = ".hang"; });
    writeFiles(root(), {{"tree/x.hang", "data"}, {"tree/y.hang", "data"}, {"tree/z.hang", "data"}});
    store().setObject("1", Setting::TransfersAtOnce);
    connectAndWatch();
    selectRows({"tree"});
    c->downloadButton->click();
    // One file moves (and waits for its end forever); the others wait for the connection.
    ASSERT_TRUE(QTest::qWaitFor([&] { return download()->receivedBytes() > 0; }, 20000));
    const QStringList moving = openFolder();
    ASSERT_EQ(moving.filter("|Waiting").size(), 2);
    ASSERT_EQ(moving.filter("|Running").size(), 1);
    runItemOn("cancelTransferItem", queue()->index(0, 0));
    EXPECT_EQ(queueRows(), (QStringList{"↓ tree/|Cancelled (0 files)"}));
    // The moving file stopped; those that waited are not fetched.
    EXPECT_EQ(fileRows(),
              (QStringList{moving.filter("|Running").first().section('|', 0, 0) + "|Cancelled"}));
    EXPECT_FALSE(download()->isRunning());
    for (const QString& waited : moving.filter("|Waiting"))
        EXPECT_TRUE(
            folderEntries(downloads.filePath("tree")).filter(waited.section('|', 0, 0)).isEmpty());
}

// A tree view lays out every row it holds whenever rows come: a page at a time keeps that short.
TEST_F(Queue, AFolderOfManyFilesOpensAPageAtATimeAndScrollingToItsEndShowsMore)
{
    startServer([](auto& o) { o.hangSuffix = ".hang"; });
    for (int n = 0; n < 1500; ++n)
        writeFiles(root(), {{QStringLiteral("tree/f%1.hang").arg(n), ""}});
    store().setObject("1", Setting::TransfersAtOnce);
    connectAndWatch();
    selectRows({"tree"});
    c->downloadButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue()->transfers()[0].filesFound == 1500; }, 20000));
    EXPECT_EQ(openFolder().size(), 1000);
    QTest::keyClick(queueTable(), Qt::Key_End);
    EXPECT_EQ(queue()->rowCount(queue()->index(0, 0)), 1500);
    c->cancelButton->click();
}

// Each file of a folder shows and hides the bars above the table: the table stays where it is.
TEST_F(Queue, TheTableKeepsItsPlaceWhileTheBarsShowAndHide)
{
    startServer([](auto& o) { o.hangSuffix = ".hang"; });
    writeFiles(root(), {{"x.hang", "data"}});
    connectAndWatch();
    c->tabView->setCurrentWidget(c->queueTabViewItem);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QRect idle = queueTable()->geometry();
    selectRows({"x.hang"});
    c->downloadButton->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return c->progress->isVisible(); }, 20000));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_EQ(queueTable()->geometry(), idle);
    c->cancelButton->click();
}

// The running folder's row is told to the view at most a few times a second, the last change too.
TEST_F(Queue, TheRunningFolderRowShowsItsLastFileEnded)
{
    startServer([](auto& o) { o.hangSuffix = ".hang"; });
    writeFiles(root(), {{"tree/a.txt", "a"}, {"tree/b.hang", "data"}});
    connectAndWatch();
    QStringList told;
    QObject::connect(queue(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (!from.parent().isValid() && from.row() == 0)
            told.append(queue()->index(0, TransferQueue::OutcomeColumn).data().toString());
    });
    selectRows({"tree"});
    c->downloadButton->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return told.contains("1 of 2 files"); }, 20000));
    c->cancelButton->click();
}
