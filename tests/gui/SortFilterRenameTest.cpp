#include <QClipboard>
#include <QMenu>
#include <QTranslator>

#include "Classes/BrowserInput.h"
#include "Classes/ListingSortFilter.h"
#include "RenameDelegate.h"
#include "WindowFixture.h"

class SortFilterRename : public WindowFixture
{
protected:
    // The names in the order the table shows them.
    QStringList shownNames() const
    {
        const QAbstractItemModel* shown = c->serverTable->model();
        QStringList names;
        for (int at = 0; at < shown->rowCount(); ++at)
            names.append(shown->index(at, 1).data().toString());
        return names;
    }

    void clickHeader(int section)
    {
        QHeaderView* header = c->serverTable->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    }

    void key(int keyCode, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(c->serverTable, static_cast<Qt::Key>(keyCode), modifiers);
    }

    // F2 on the row, the name typed, Return; the request runs with the next event loop pass and
    // is waited for (a refused name starts none).
    void renameRow(const QString& from, const QString& to)
    {
        selectRow(rowNamed(from));
        key(Qt::Key_F2);
        auto* editor = c->serverTable->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        editor->insert(to); // keyClicks types ASCII only
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(50);
        ASSERT_TRUE(QTest::qWaitFor([] { return RemoteOperation::running() == nullptr; }, 30000));
    }
    // Two folders and three files whose natural, byte and case orders all differ, listed with
    // the table focused.
    void listFiveEntries()
    {
        startServer();
        for (const char* name : {"zdir", "adir"})
            QDir(root()).mkdir(QLatin1String(name));
        writeFiles(root(), {{"file10.txt", QByteArray(10, 'x')},
                            {"file2.txt", QByteArray(300, 'x')},
                            {"File1.txt", QByteArray(20, 'x')}});
        connectAndList();
        activate();
    }

    const QStringList ascending = {"adir", "zdir", "File1.txt", "file2.txt", "file10.txt"};
};

TEST_F(SortFilterRename, HeadersSortNaturallyFoldersFirstEitherWayAndBySize)
{
    listFiveEntries();
    clickHeader(1);
    EXPECT_EQ(shownNames(), ascending);
    clickHeader(1);
    EXPECT_EQ(shownNames(), (QStringList{"zdir", "adir", "file10.txt", "file2.txt", "File1.txt"}));
    clickHeader(2); // by bytes, folders still first
    EXPECT_EQ(shownNames(), (QStringList{"adir", "zdir", "file10.txt", "File1.txt", "file2.txt"}));
    EXPECT_LT(ListingSortFilter::naturalCompare(u"a1", u"a01"), 0);
    EXPECT_LT(ListingSortFilter::naturalCompare(u"x9y", u"X10"), 0);
    // The selection answers the listing's row whatever the order shown.
    selectRow(rowNamed("file10.txt"));
    EXPECT_EQ(cell("FileName", c->selectedRow()), "file10.txt");
}

// Ctrl+F goes to the filter; typing there filters and leaves the table's keys alone.
TEST_F(SortFilterRename, TheFilterMatchesAnyCaseAndHoldsAcrossAReload)
{
    listFiveEntries();
    clickHeader(1);
    QTest::keyClick(c->window, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(c->filterField->hasFocus());
    QTest::keyClicks(c->filterField, "FILE1");
    QTest::keyClick(c->filterField, Qt::Key_Backspace);
    QTest::keyClicks(c->filterField, "1");
    EXPECT_EQ(shownNames(), (QStringList{"File1.txt", "file10.txt"}));
    EXPECT_EQ(c->remote->ftpURLStack.size(), 1);

    activate();
    const int listings = listingsEnded;
    QTest::keyClick(c->window, Qt::Key_F5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listingsEnded > listings; }, 30000));
    EXPECT_EQ(shownNames(), (QStringList{"File1.txt", "file10.txt"}));
    c->filterField->clear();
    EXPECT_EQ(shownNames(), ascending);
}

TEST_F(SortFilterRename, F2RenamesInPlaceAndTheRenamedRowStaysSelectedInTheSortedTable)
{
    listFiveEntries();
    clickHeader(1);
    renameRow("file2.txt", "new é.txt");
    ASSERT_TRUE(waitForListing());
    EXPECT_TRUE(QFileInfo::exists(root() + QString::fromUtf8("/new é.txt")));
    EXPECT_FALSE(QFileInfo::exists(root() + "/file2.txt"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return c->selectedRow() >= 0; }, 5000));
    EXPECT_EQ(cell("FileName", c->selectedRow()), QString::fromUtf8("new é.txt"));
}

TEST_F(SortFilterRename, KeysAndTheRowMenuActOnlyWhileConnected)
{
    startServer();
    QDir(root()).mkdir("sub");
    writeFiles(root(), {{"a b.txt", "0123456789"}, {"beta.txt", "x"}});
    // The English table: the confirmation as a user reads it.
    QTranslator english;
    ASSERT_TRUE(english.load(":/i18n/tandrel_en.qm"));
    QApplication::installTranslator(&english);
    startApp();
    activate();
    QTest::keyClick(c->window, Qt::Key_U, Qt::ControlModifier);
    EXPECT_TRUE(toolkit.panelsShown.isEmpty()); // not connected
    connectAndList();
    activate();
    // Typing a name's first letters selects it, from the icon column too.
    c->serverTable->setCurrentIndex(c->serverTable->model()->index(0, 0));
    QTest::keyClicks(c->serverTable, "be");
    EXPECT_EQ(cell("FileName", c->selectedRow()), "beta.txt");

    // Delete asks, naming the entry; Cancel keeps it.
    selectRow(rowNamed("a b.txt"));
    toolkit.answerAlert(Toolkit::kAlternateReturn);
    key(Qt::Key_Delete);
    ASSERT_EQ(toolkit.alertsShown.size(), 1);
    EXPECT_TRUE(toolkit.alertsShown.first().informativeText.contains("\u201ca b.txt\u201d"));

    // The row menu's URL: escaped, no password.
    c->browserInput->copyURLItem->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), rootUrl() + "a%20b.txt");

    // Enter downloads a file, and opens a folder; Backspace comes back.
    EXPECT_FALSE(runToEnd(download(), [this] { key(Qt::Key_Return); }));
    EXPECT_TRUE(QFileInfo::exists(downloads.path() + "/a b.txt"));
    selectRow(rowNamed("sub"));
    for (const auto& [pressed, where] :
         {std::pair{Qt::Key_Enter, "/sub/"}, {Qt::Key_Backspace, "/"}}) {
        key(pressed, pressed == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(c->ftpLocationLabel->text(), where);
        ASSERT_TRUE(waitForListing());
    }

    // Ctrl+U: the open panel starts at home, then where the last upload came from.
    QTemporaryDir local;
    writeFile(local.path() + "/up.txt", "up");
    toolkit.answerOpenPanel(Toolkit::kDefaultReturn, local.path() + "/up.txt");
    EXPECT_FALSE(
        runToEnd(upload(), [this] { QTest::keyClick(c->window, Qt::Key_U, Qt::ControlModifier); }));
    ASSERT_TRUE(waitForListing());
    toolkit.answerOpenPanel(Toolkit::kAlternateReturn);
    QTest::keyClick(c->window, Qt::Key_U, Qt::ControlModifier);
    ASSERT_EQ(toolkit.panelsShown.size(), 2);
    EXPECT_EQ(toolkit.panelsShown[0].directory + '|' + toolkit.panelsShown[1].directory,
              MiscTool::getUserHome() + '|' + local.path());

    c->disconnectItem->trigger();
    activate();
    const int listings = listingsEnded;
    QTest::keyClick(c->window, Qt::Key_F5);
    QTest::qWait(100);
    EXPECT_EQ(listingsEnded, listings);
}

// A new name no file system keeps is refused before any request, in a status cut short; 255
// bytes is the longest taken.
TEST_F(SortFilterRename, ANewNameOver255BytesIsRefusedInAShortStatus)
{
    startServer();
    writeFile(root() + "/a.txt", "x");
    connectAndList();
    app->renameDelegate()->renameEntry(rowNamed("a.txt"), QString(100000, u'y'));
    EXPECT_TRUE(statusStartsWith("Refused to rename"));
    EXPECT_TRUE(c->statusLabel->text().endsWith("longer than 255 bytes") &&
                c->statusLabel->text().size() < 200);

    const QString longest(255, u'z');
    app->renameDelegate()->renameEntry(rowNamed("a.txt"), longest);
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(folderEntries(root()), QStringList{longest});
}
