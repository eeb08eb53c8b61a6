// The Monitor/Test page fixture runs its body through the harness: a main window that ends
// early fails the test instead of skipping the body.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "shell/CMain.h"
#include "tests/monitor/page_fixture.h"

namespace tavro::test {
namespace {

class DriveFixtureTest : public DrivePageTest {};

TEST_F(DriveFixtureTest, AMainWindowEndedEarlyFailsRunOnPage) {
    h.EndMainWindowEarly();
    bool bodyRan = false;
    EXPECT_NONFATAL_FAILURE(RunOnPage([&](FakeForm&, CPageDrv&) { bodyRan = true; }),
                            "the main window never ran");
    EXPECT_FALSE(bodyRan);
}

}  // namespace
}  // namespace tavro::test
