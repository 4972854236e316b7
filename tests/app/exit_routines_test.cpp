// The shutdown list: order, no duplicates, each routine once.
#include "app/exit_routines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ran;
void first() {
    ran += 'a';
}
void second() {
    ran += 'b';
}

TEST(ExitRoutines, RunOnceInRegistrationOrderWithoutDuplicatesThenEmpty) {
    ran.clear();
    EXPECT_TRUE(register_exit_routine(first));
    EXPECT_TRUE(register_exit_routine(second));
    EXPECT_TRUE(register_exit_routine(first));
    run_exit_routines();
    EXPECT_EQ(ran, "ab");
    run_exit_routines();
    EXPECT_EQ(ran, "ab");
}

TEST(ExitRoutines, NullIsRefused) {
    EXPECT_FALSE(register_exit_routine(nullptr));
}

}  // namespace
