// The document header: fonts, colours, tab slots and page defaults.
#include <gtest/gtest.h>

#include "richtext/RtHeader.h"

TEST(TextHeader, Placeholder) { TTextHeader h; EXPECT_EQ(h.PageWidth, 12240); }
