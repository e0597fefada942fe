#include <gtest/gtest.h>

#include "platform/ui/forms.h"

TEST(UiCore, Builds) { EXPECT_TRUE(true); }
