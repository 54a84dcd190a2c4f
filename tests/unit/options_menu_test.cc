#include "driver/options_menu.h"

#include <gtest/gtest.h>

TEST(OptionsMenuTest, Placeholder) { SUCCEED(); }
