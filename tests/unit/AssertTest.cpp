#include "platform/Assert.h"

#include <gtest/gtest.h>

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
