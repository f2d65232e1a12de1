// Entry point of every test program: the whole run uses a temporary drive C:, so that tests
// never touch the real prefix even when one forgets its own. A test program started by a test
// as its child (WIN32_TEST_CHILD set) keeps the prefix it inherits, so both work on one drive.
// Widgets render offscreen unless the environment asks for a real display.
#include "temp_prefix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Windows of the UI layer are real widgets; tests never need a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::unique_ptr<testsupport::TempPrefix> prefix;
    if (!std::getenv("WIN32_TEST_CHILD")) {
        prefix = std::make_unique<testsupport::TempPrefix>();
    }
    return RUN_ALL_TESTS();
}
