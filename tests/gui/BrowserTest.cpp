#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "ShortTimeouts.h"
#include "WindowFixture.h"

namespace {

const QString kFolder = "\U0001F4C1";
const QString kDocument = "\U0001F4C4";

// A tree of spaced, non-ASCII and hostile names, served and shown in the window.
class Browser : public WindowFixture
{
protected:
    void SetUp() override
    {
        startServer();
        QDir(root()).mkpath("é");
        writeFiles(root(), {{"a b/c d/inner.txt", "0123456789"},
                            {"a b/file.txt", "0123456789"},
                            {"f.txt", QByteArray(1536, 'x')},
                            {"esc\x1b[31mred\u202Egnp.exe", "xxx"}});
        startApp();
    }
};

} // namespace

// The address checks' own test holds the cases.
TEST_F(Browser, AHostThatNamesNoServerIsRefusedBeforeConnectingAndSavedAsTyped)
{
    c->hostField->setText("x@127.0.0.1");
    c->portField->setText(QString::number(server->port()));
    c->connectItem->trigger();
    EXPECT_TRUE(statusStartsWith("Cannot connect: Host"));
    EXPECT_TRUE(c->connectItem->isEnabled()); // still idle
    EXPECT_EQ(store().objectForKey("Host").toString(), "x@127.0.0.1");
    QTest::qWait(200);
    EXPECT_EQ(server->connections(), 0);
}

TEST_F(Browser, ConnectListsTheRootWithKindsSizesAndSafeNamesAndSavesTheSettings)
{
    connectAnonymously();
    EXPECT_TRUE(!c->connectItem->isEnabled() && c->disconnectItem->isEnabled());
    EXPECT_EQ(c->tabView->currentWidget(), c->serverTabViewItem);
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(c->statusLabel->text(), "List succeeded");
    EXPECT_EQ(c->ftpLocationLabel->text(), "/");
    EXPECT_EQ(c->numberOfRowsInTableView(), 4);
    const auto kindSizeTime = [this](const QString& name) {
        const int row = rowNamed(name);
        return row < 0 ? QStringList()
                       : QStringList{cell("FolderOrFile", row), cell("FileSize", row),
                                     cell("ModifiedTime", row).isEmpty() ? "" : "time"};
    };
    EXPECT_EQ(kindSizeTime("a b").mid(0, 2), (QStringList{kFolder, "--"}));
    EXPECT_EQ(kindSizeTime("f.txt"), (QStringList{kDocument, "1.5 KB", "time"}));
    // Escape sequences and direction overrides in a name never reach the screen raw.
    EXPECT_GE(rowNamed(QString::fromUtf8("esc\u241B[31mred\uFFFDgnp.exe")), 0);

    EXPECT_EQ(store().objectForKey("Host").toString(), "127.0.0.1");
    EXPECT_EQ(store().objectForKey("Port").typeId(), QMetaType::QString);
    EXPECT_EQ(store().integerForKey("Anonymous"), 1);

    // Disconnect empties the browser.
    c->disconnectItem->trigger();
    EXPECT_TRUE(c->numberOfRowsInTableView() == 0 && c->ftpLocationLabel->text().isEmpty());
    EXPECT_TRUE(c->tabView->currentWidget() == c->ftpTabViewItem && c->connectItem->isEnabled());
}

TEST_F(Browser, DoubleClickEntersFoldersByEscapedUrlsReloadStaysBackReturns)
{
    connectAndList();
    const QString rootUrl = this->rootUrl();
    // Where the window says it is; then its listing, waited for.
    const auto at = [this](const QString& url, const QString& shown) {
        EXPECT_EQ(c->remote->FTP_URL, url);
        EXPECT_EQ(c->ftpLocationLabel->text(), shown);
        return waitForListing();
    };
    doubleClickRow(rowNamed("a b"));
    EXPECT_TRUE(c->preButton->isEnabled());
    ASSERT_TRUE(at(rootUrl + "a%20b/", "/a b/"));
    doubleClickRow(rowNamed("c d"));
    ASSERT_TRUE(at(rootUrl + "a%20b/c%20d/", "/a b/c d/"));
    c->reloadButton->click();
    ASSERT_TRUE(at(rootUrl + "a%20b/c%20d/", "/a b/c d/"));
    EXPECT_EQ(c->remote->ftpURLStack.size(), 3);
    EXPECT_GE(rowNamed("inner.txt"), 0);
    EXPECT_EQ(c->numberOfRowsInTableView(), 1);

    c->preButton->click();
    ASSERT_TRUE(at(rootUrl + "a%20b/", "/a b/"));
    c->preButton->click();
    ASSERT_TRUE(at(rootUrl, "/"));
    EXPECT_FALSE(c->preButton->isEnabled());
    EXPECT_EQ(c->remote->ftpURLStack, QStringList{rootUrl});
    doubleClickRow(rowNamed("é"));
    ASSERT_TRUE(at(rootUrl + "%C3%A9/", "/é/"));
    EXPECT_EQ(c->status, "List succeeded");

    // A name in a single-byte code is entered by its bytes.
    c->preButton->click();
    ASSERT_TRUE(waitForListing());
    addListedEntry("caf\xE9", kEntryTypeDirectory);
    doubleClickRow(c->numberOfRowsInTableView() - 1);
    EXPECT_EQ(c->remote->FTP_URL, rootUrl + "caf%E9/");
    ASSERT_TRUE(waitForListing());
}

// A listed folder name that is not one plain name (here one that would inject a command) is
// refused before the folder stack changes.
TEST_F(Browser, AListedFolderNameThatIsNotOnePlainNameIsNotEntered)
{
    connectAndList();
    addListedEntry("x\r\nDELE inside.txt", kEntryTypeDirectory);
    doubleClickRow(c->numberOfRowsInTableView() - 1);
    EXPECT_EQ(c->remote->FTP_URL, rootUrl());
    EXPECT_EQ(c->remote->ftpURLStack, QStringList{rootUrl()});
    EXPECT_FALSE(c->isReceiving());
    EXPECT_TRUE(statusStartsWith("Refused to open the folder"));
}

TEST_F(Browser, AListingStartedWhileOneRunsReplacesItWithoutAStatusOfItsOwn)
{
    connectAndList();
    const int ended = listingsEnded;
    c->reloadButton->click();
    c->reloadButton->click();
    ASSERT_TRUE(waitForListing());
    QTest::qWait(200);
    EXPECT_EQ(listingsEnded, ended + 1);
    EXPECT_EQ(c->status, "List succeeded");
}

using Listing = WindowFixture;

TEST_F(Listing, ALongOneFillsTheTableByChunksAndCountsTheLinesItCannotRead)
{
    // Good lines around the odd ones, so that those sit inside a read chunk, not at its edge,
    // and enough of them for many chunks.
    QByteArray listing;
    const auto addGood = [&listing](int from, int to) {
        for (int i = from; i < to; ++i)
            listing +=
                "-rw-r--r--   1 ftp ftp  2048 Nov 05 14:07 good-" + QByteArray::number(i) + "\r\n";
    };
    addGood(0, 400);
    listing += QByteArray("-rw-r--r--   1 ftp ftp    10 Nov 05 14:07 nul") + '\0' + "name\r\n";
    listing += "this line names nothing any server would send\r\n"
               "-rw-r--r--   1 ftp ftp    12 Nov 05 14:07\r\n";
    addGood(400, 8000);
    QTemporaryDir scripts;
    const QString listingFile = scripts.filePath("listing.txt");
    writeFile(listingFile, listing);
    startServer([&](auto& o) { o.listingFile = listingFile; });
    startApp();
    // Every reset, insertion and cell the model reports is checked as it happens.
    QAbstractItemModelTester tester(c->serverTable->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy batches(c->serverTable->model(), &QAbstractItemModel::rowsInserted);
    connectAnonymously();
    ASSERT_TRUE(waitForListing());

    EXPECT_EQ(c->statusLabel->text(), "List succeeded (2 lines could not be read)");
    EXPECT_EQ(c->numberOfRowsInTableView(), 8001);
    // Rows show while the listing arrives (every 100 ms at most), and the rest at its end.
    EXPECT_GE(batches.size(), 2);
    EXPECT_EQ(cell("FileSize", rowNamed("good-7999")), "2.0 KB");
    // The NUL shows as its picture.
    EXPECT_GE(rowNamed(QString::fromUtf8("nul\u2400name")), 0);
}

TEST_F(Listing, StopsAtItsLimitsKeepingWhatArrivedAndEscStopsIt)
{
    const SmallListingLimits limits;
    const auto line = [](int i) {
        return "-rw-r--r--   1 ftp ftp  2048 Nov 05 14:07 f-" + QByteArray::number(i) + "\r\n";
    };
    QByteArray lines;
    for (int i = 0; i < 40; ++i)
        lines += line(i);
    QTemporaryDir scripts;
    const QString listingFile = scripts.filePath("listing.txt");
    writeFile(listingFile, lines);
    startServer([&](auto& o) {
        o.listingFile = listingFile;
        o.listingPaced = true;
    });
    startApp();
    connectAnonymously();
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(c->statusLabel->text(), "Listing stopped at 10 entries");
    EXPECT_EQ(c->numberOfRowsInTableView(), 10);

    // More bytes than a listing may take, in lines that name nothing.
    writeFile(listingFile, QByteArray("total 42\r\n").repeated(500));
    c->reloadButton->click();
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(c->statusLabel->text(), QStringLiteral("Listing stopped at %L1 bytes").arg(4096));

    // A slow listing, one line at a time: Esc stops it, keeping the rows that came.
    QByteArray slow;
    for (int i = 0; i < 100; ++i)
        slow += line(i) + '\0';
    writeFile(listingFile, slow);
    Controller::listingLimits = {};
    c->reloadButton->click();
    activate();
    ASSERT_TRUE(QTest::qWaitFor([this] { return c->numberOfRowsInTableView() > 0; }));
    QTest::keyClick(c->serverTable, Qt::Key_Escape);
    EXPECT_FALSE(c->isReceiving());
    EXPECT_EQ(c->statusLabel->text(), "Listing cancelled");
    EXPECT_GT(c->numberOfRowsInTableView(), 0);
    EXPECT_LT(c->numberOfRowsInTableView(), 100);
}
