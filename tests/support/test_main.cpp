// Entry point of every test program: the whole run uses a temporary drive C:, so that tests
// never touch the real prefix even when one forgets its own.
#include "temp_prefix.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testsupport::TempPrefix prefix;
    return RUN_ALL_TESTS();
}
