#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include "StreamRecorder.h"
#include "platform/toolkit/QtToolkit.h"

TEST(FtpStreamEvents, HeldEventsWaitAndArriveInOrderOnceTheLastHoldEnds)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    const QByteArray content = pattern(2 * 1024 * 1024);
    writeFile(server.localPath("held.bin"), content);

    StreamRecorder recorder(server.url("/held.bin"));
    {
        StreamModalHold outer;
        recorder.start();
        // The transfer runs on until the buffer is full, then waits; no delegate call meanwhile.
        EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.stream()->bufferedBytes() > 128 * 1024; },
                                    10000));
        QTest::qWait(300);
        StreamModalHold(); // an inner hold, ended at once
        QTest::qWait(100);
        EXPECT_TRUE(recorder.events.empty());
        EXPECT_LE(recorder.stream()->maxBufferedBytes(), 1024 * 1024);
    }
    ASSERT_TRUE(recorder.waitUntilDone(30000));
    EXPECT_TRUE(recorder.ended) << recorder.error.message.toStdString();
    EXPECT_TRUE(recorder.received == content);
    ASSERT_GE(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events.front(), NSStreamEventOpenCompleted);
    EXPECT_TRUE(std::all_of(recorder.events.begin() + 1, recorder.events.end(),
                            [](NSStreamEvent e) { return e == NSStreamEventHasBytesAvailable; }));
    EXPECT_FALSE(recorder.eventInsideCall);
}

TEST(FtpStreamEvents, StreamsStoppedInsideTheirHandlersOrWithEventsQueuedGetNoMoreEvents)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFile(server.localPath("small.txt"), "small\n");

    // Stopped (closed and destroyed) from inside its open-completed handler: the has-bytes
    // events already due are dropped.
    StreamRecorder stoppedEarly(server.url());
    stoppedEarly.onEvent = [&](NSStreamEvent) {
        stoppedEarly.stop();
        return true;
    };
    stoppedEarly.start();
    ASSERT_TRUE(stoppedEarly.waitUntilDone(10000));
    QTest::qWait(200);
    EXPECT_EQ(stoppedEarly.events, std::vector<NSStreamEvent>{NSStreamEventOpenCompleted});

    // Destroyed, delegate and all, while its events wait behind a hold.
    {
        auto doomed = std::make_unique<StreamRecorder>(server.url("/small.txt"));
        StreamModalHold hold;
        doomed->start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return doomed->stream()->bufferedBytes() == 6; }, 10000));
        QTest::qWait(100);
        doomed.reset();
    }
    QTest::qWait(200);

    // Taken off the loop: nothing more arrives, although the transfer goes on.
    StreamRecorder removed(server.url("/small.txt"));
    removed.start();
    removed.stream()->removeFromRunLoop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return removed.stream()->bufferedBytes() == 6; }, 10000));
    QTest::qWait(100);
    EXPECT_TRUE(removed.events.empty());
    // Back on the loop, the events it missed arrive, in order.
    removed.stream()->scheduleInRunLoop();
    ASSERT_TRUE(removed.waitUntilDone(10000));
    EXPECT_EQ(removed.received, "small\n");
    EXPECT_EQ(removed.events, (std::vector<NSStreamEvent>{NSStreamEventOpenCompleted,
                                                          NSStreamEventHasBytesAvailable,
                                                          NSStreamEventHasBytesAvailable}));
}

TEST(FtpStreamEvents, TheDesktopsModalDialogsHoldEventsUntilTheyClose)
{
    FtpServer server;
    ASSERT_TRUE(server.start()) << server.log().toStdString();
    writeFile(server.localPath("small.txt"), "small\n");
    QtToolkit toolkit;
    // Runs a real dialog while a download's bytes arrive; a timer closes it 300 ms after they
    // are all in (or after 10 s), noting what its delegate got meanwhile.
    const auto whileShown = [&](const std::function<void()>& runDialog) {
        StreamRecorder recorder(server.url("/small.txt"));
        recorder.start();
        QDialog* shown = nullptr;
        size_t eventsWhileShown = 0;
        QTimer closer;
        QElapsedTimer waited;
        QElapsedTimer allIn;
        waited.start();
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (!allIn.isValid() && recorder.stream()->bufferedBytes() == 6)
                allIn.start();
            if ((!allIn.isValid() || allIn.elapsed() < 300) && waited.elapsed() < 10000)
                return;
            shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            eventsWhileShown = recorder.events.size();
            if (shown)
                shown->reject();
            closer.stop();
        });
        closer.start(50);
        runDialog();
        EXPECT_TRUE(shown);
        EXPECT_EQ(eventsWhileShown, 0u);
        ASSERT_TRUE(recorder.waitUntilDone(10000));
        EXPECT_EQ(recorder.received, "small\n");
    };
    Toolkit::Alert alert;
    alert.messageText = "?";
    whileShown([&] { toolkit.runModalAlert(alert); });
    whileShown([&] { toolkit.runModalOpenPanel({}); });
}
