#include "platform/Assert.h"

#include <gtest/gtest.h>

#include "CreateDirDelegate.h"
#include "DownloadDelegate.h"
#include "UploadDelegate.h"

namespace {

void checkPositive(int value)
{
    TANDREL_ASSERT(value > 0);
}

} // namespace

TEST(AssertDeathTest, ReportsFunctionFileLineAndExpressionEvenInReleaseBuilds)
{
    checkPositive(1);
    EXPECT_DEATH(checkPositive(0), "checkPositive\\(int\\).*AssertTest\\.cpp:[0-9]+: value > 0");
    EXPECT_DEATH(TANDREL_ASSERT(NO), ": NO");
}

// Events a stream of that direction never sends stop the process, naming the handler.
TEST(AssertDeathTest, OperationsStopOnEventsTheirStreamCannotSend)
{
    DownloadDelegate download;
    UploadDelegate upload;
    CreateDirDelegate createDir;
    EXPECT_DEATH(download.streamHandleEvent(nullptr, NSStreamEventHasSpaceAvailable),
                 "DownloadDelegate::streamHandleEvent.*: NO");
    EXPECT_DEATH(upload.streamHandleEvent(nullptr, NSStreamEventHasBytesAvailable),
                 "UploadDelegate::streamHandleEvent.*: NO");
    EXPECT_DEATH(createDir.streamHandleEvent(nullptr, NSStreamEventHasSpaceAvailable),
                 "CreateDirDelegate::streamHandleEvent.*: NO");
    EXPECT_DEATH(download.streamHandleEvent(nullptr, static_cast<NSStreamEvent>(32)), ": NO");
}
