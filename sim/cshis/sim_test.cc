#include <gtest/gtest.h>
#include "cshis.h"
TEST(Sim, Builds) { EXPECT_EQ(hisGetCardStatus(1), 4000); }
