#pragma once
// The one aging rule of the receivables, shared by the statements and the
// receivables aging report: days overdue d = today - due date in whole days
// (times of day dropped); Current d <= 0, then 1-30, 31-60, 61-90 and over
// 90 days. TAgingTotals sums open balances into the five buckets.
#include <array>

#include "base/Currency.h"
#include "base/DateTime.h"

enum class AgingBucket { Current, Days1To30, Days31To60, Days61To90, Over90 };

constexpr int AgingBucketCount = 5;

// Whole days from DueDate to Today; negative when not yet due.
int daysOverdue(TDateTime DueDate, TDateTime Today);
AgingBucket bucketForDaysOverdue(int Days);
AgingBucket bucketFor(TDateTime DueDate, TDateTime Today);

// The aging report's group label ("Current", "1-30 Days Overdue",
// "30-60 Days Overdue", "61-90 Days Overdue", "Over 90 Days Overdue").
const char* agingGroupLabel(AgingBucket Bucket);

class TAgingTotals {
public:
    // Adds Balance to the bucket of DueDate as seen on Today.
    void add(TDateTime DueDate, TDateTime Today, Currency Balance);
    Currency operator[](AgingBucket Bucket) const { return amounts_[static_cast<int>(Bucket)]; }
    // The sum of the five buckets.
    Currency Total() const;
    void clear() { amounts_ = {}; }

private:
    std::array<Currency, AgingBucketCount> amounts_{};
};
