#pragma once
// The arithmetic of report-project calculations: the functions applied to an
// operand or a result, the operators of a calculated operation, and a total
// that accumulates values by its calculation type. Times are fractions of a
// day (1,440 minutes); the rounding functions round halves away from zero
// on the decimal value, so 2.345 to two places is 2.35.
#include <cstdint>

enum TDuzuCalcType { ctCount, ctSum, ctMin, ctMax, ctAverage };
// How a calculated value is shown: as a number, or as a date and time
// (days since 12/30/1899) in the display format.
enum TDuzuDisplayType { dtNumberFmt, dtDateTimeFmt };
enum TDuzuCalcOperator { coAdd, coSub, coMul, coDiv, coMod, coExp, coGreater, coLesser, coAverage };
enum TDuzuCalcFunction {
    cfNone, cfTrunc, cfFrac, cfRound, cfNeg, cfAbs, cfSin, cfCos, cfArcTan, cfSqr, cfSqrt, cfInc, cfDec,
    cfRandom, cfRound1, cfRound2, cfRound3, cfRound4, cfRound5, cfSecsToTime, cfMinsToTime, cfHoursToTime,
    cfTimeToSecs, cfTimeToMins, cfTimeToHours, cfPercent
};

double applyCalcFunction(TDuzuCalcFunction Function, double X);
// 0 for a division by 0 and for an operator out of range.
double applyCalcOperator(TDuzuCalcOperator Operator, double A, double B);

// A running total and count.
class TDuzuCalcAccumulator {
public:
    TDuzuCalcType CalcType = ctSum;
    bool CountBlanks = true;

    void Add(double Value);
    // Starts again from a value an initializer supplies.
    void Init(double Value);
    void Reset() { total_ = 0; count_ = 0; }
    double Result() const;
    double Total() const { return total_; }
    std::int64_t Count() const { return count_; }

private:
    void count(double Value);

    double total_ = 0;
    std::int64_t count_ = 0;
};
