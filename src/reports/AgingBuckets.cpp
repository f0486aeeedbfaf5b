#include "reports/AgingBuckets.h"

#include <cmath>

namespace {

// The day number of a date, whatever its time of day.
long long dayOf(TDateTime Value) { return static_cast<long long>(std::trunc(Value)); }

}  // namespace

int daysOverdue(TDateTime DueDate, TDateTime Today) { return static_cast<int>(dayOf(Today) - dayOf(DueDate)); }

AgingBucket bucketForDaysOverdue(int Days) {
    if (Days <= 0) return AgingBucket::Current;
    if (Days <= 30) return AgingBucket::Days1To30;
    if (Days <= 60) return AgingBucket::Days31To60;
    if (Days <= 90) return AgingBucket::Days61To90;
    return AgingBucket::Over90;
}

AgingBucket bucketFor(TDateTime DueDate, TDateTime Today) {
    return bucketForDaysOverdue(daysOverdue(DueDate, Today));
}

const char* agingGroupLabel(AgingBucket Bucket) {
    switch (Bucket) {
    case AgingBucket::Current: return "Current";
    case AgingBucket::Days1To30: return "1-30 Days Overdue";
    case AgingBucket::Days31To60: return "30-60 Days Overdue";
    case AgingBucket::Days61To90: return "61-90 Days Overdue";
    case AgingBucket::Over90: return "Over 90 Days Overdue";
    }
    return "";
}

void TAgingTotals::add(TDateTime DueDate, TDateTime Today, Currency Balance) {
    amounts_[static_cast<int>(bucketFor(DueDate, Today))] += Balance;
}

Currency TAgingTotals::Total() const {
    Currency sum;
    for (Currency amount : amounts_) sum += amount;
    return sum;
}
