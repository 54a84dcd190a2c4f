#include <gtest/gtest.h>

#include "support/test_support.h"

TEST(RunTest, Placeholder) { SUCCEED(); }
