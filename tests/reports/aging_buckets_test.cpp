// The aging rule shared by the statements and the aging report: the days
// overdue around each bucket's edges, times of day ignored, and the sums.
#include <gtest/gtest.h>

#include "reports/AgingBuckets.h"

namespace {

const TDateTime Today = EncodeDate(2024, 3, 15);

}  // namespace

TEST(AgingBucketsTest, DaysOverdueAtEachEdgeFallIntoOneBucket) {
    const struct {
        int Days;
        AgingBucket Bucket;
    } cases[] = {{-1, AgingBucket::Current},    {0, AgingBucket::Current},     {1, AgingBucket::Days1To30},
                 {30, AgingBucket::Days1To30},  {31, AgingBucket::Days31To60}, {60, AgingBucket::Days31To60},
                 {61, AgingBucket::Days61To90}, {90, AgingBucket::Days61To90}, {91, AgingBucket::Over90}};
    for (const auto& c : cases) {
        // Due dates that carry a time of day age by their date alone.
        const TDateTime due = Today - c.Days + 0.75;
        EXPECT_EQ(daysOverdue(due, Today + 0.4), c.Days) << c.Days;
        EXPECT_EQ(bucketFor(due, Today + 0.4), c.Bucket) << c.Days;
    }
}

TEST(AgingBucketsTest, TotalsSumEachBucketAndAllFive) {
    TAgingTotals totals;
    totals.add(Today, Today, Currency(10));
    totals.add(Today - 5, Today, Currency(20));
    totals.add(Today - 10, Today, Currency(10));
    totals.add(Today - 100, Today, StrToCurr("-12.50"));
    EXPECT_EQ(totals[AgingBucket::Current], Currency(10));
    EXPECT_EQ(totals[AgingBucket::Days1To30], Currency(30));
    EXPECT_EQ(totals[AgingBucket::Days31To60], Currency(0));
    EXPECT_EQ(totals[AgingBucket::Over90], StrToCurr("-12.50"));
    EXPECT_EQ(totals.Total(), StrToCurr("27.50"));
    EXPECT_STREQ(agingGroupLabel(AgingBucket::Days31To60), "30-60 Days Overdue");
}
