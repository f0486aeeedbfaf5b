#include "os/Locale.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(Locale, UsDefaultsAndAnOverridingShortDate) {
    unsetenv("QUENMARK_SHORTDATE");
    EXPECT_EQ(os::ShortDateFormat(), "M/d/yyyy");
    EXPECT_EQ(os::DateSeparator(), '/');
    EXPECT_EQ(os::DecimalSeparator(), '.');
    EXPECT_EQ(os::ThousandSeparator(), ',');
    EXPECT_EQ(os::CurrencySymbol(), "$");

    setenv("QUENMARK_SHORTDATE", "dd.MM.yyyy", 1);
    EXPECT_EQ(os::ShortDateFormat(), "dd.MM.yyyy");
    EXPECT_EQ(os::DateSeparator(), '.');
    unsetenv("QUENMARK_SHORTDATE");
}
