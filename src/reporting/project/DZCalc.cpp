#include "reporting/project/DZCalc.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kMinutesPerDay = 1440.0;
constexpr double kHoursPerDay = 24.0;

// Rounds X to Places decimals, halves away from zero, on the decimal value:
// the shortest decimal text of X is rounded, not its binary fraction.
double roundDecimal(double X, int Places) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", X);
    double shortest = std::strtod(text, nullptr);
    double scale = std::pow(10.0, Places);
    char scaled[64];
    std::snprintf(scaled, sizeof scaled, "%.15g", shortest * scale);
    return std::round(std::strtod(scaled, nullptr)) / scale;
}

double randomFraction() {
    static std::mt19937_64 generator{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

}  // namespace

double applyCalcFunction(TDuzuCalcFunction Function, double X) {
    switch (Function) {
        case cfNone: return X;
        case cfTrunc: return std::trunc(X);
        case cfFrac: return X - std::trunc(X);
        case cfRound: return roundDecimal(X, 0);
        case cfNeg: return -X;
        case cfAbs: return std::fabs(X);
        case cfSin: return std::sin(X);
        case cfCos: return std::cos(X);
        case cfArcTan: return std::atan(X);
        case cfSqr: return X * X;
        case cfSqrt: return std::sqrt(X);
        case cfInc: return X + 1;
        case cfDec: return X - 1;
        case cfRandom: return randomFraction() * X;
        case cfRound1: return roundDecimal(X, 1);
        case cfRound2: return roundDecimal(X, 2);
        case cfRound3: return roundDecimal(X, 3);
        case cfRound4: return roundDecimal(X, 4);
        case cfRound5: return roundDecimal(X, 5);
        case cfSecsToTime: return X / kSecondsPerDay;
        case cfMinsToTime: return X / kMinutesPerDay;
        case cfHoursToTime: return X / kHoursPerDay;
        case cfTimeToSecs: return X * kSecondsPerDay;
        case cfTimeToMins: return X * kMinutesPerDay;
        case cfTimeToHours: return X * kHoursPerDay;
        case cfPercent: return X * 100;
    }
    return X;
}

double applyCalcOperator(TDuzuCalcOperator Operator, double A, double B) {
    switch (Operator) {
        case coAdd: return A + B;
        case coSub: return A - B;
        case coMul: return A * B;
        case coDiv: return B == 0 ? 0 : A / B;
        case coMod: {
            auto a = static_cast<std::int64_t>(std::trunc(A));
            auto b = static_cast<std::int64_t>(std::trunc(B));
            return b == 0 ? 0 : static_cast<double>(a % b);
        }
        case coExp: return std::pow(A, B);
        case coGreater: return A > B ? A : B;
        case coLesser: return A < B ? A : B;
        case coAverage: return (A + B) * 0.5;
    }
    return 0;
}

void TDuzuCalcAccumulator::count(double Value) {
    if (CountBlanks || Value != 0) ++count_;
}

void TDuzuCalcAccumulator::Add(double Value) {
    switch (CalcType) {
        case ctCount: count(Value); break;
        case ctSum: total_ += Value; break;
        case ctMin:
            if (count_ == 0 || Value < total_) {
                total_ = Value;
                count_ = 1;
            }
            break;
        case ctMax:
            if (count_ == 0 || Value > total_) {
                total_ = Value;
                count_ = 1;
            }
            break;
        case ctAverage:
            total_ += Value;
            count(Value);
            break;
    }
}

void TDuzuCalcAccumulator::Init(double Value) {
    switch (CalcType) {
        case ctCount:
            count_ = static_cast<std::int64_t>(std::trunc(Value));
            total_ = 0;
            break;
        case ctSum:
            total_ = Value;
            count_ = 0;
            break;
        default: Reset(); break;
    }
}

double TDuzuCalcAccumulator::Result() const {
    switch (CalcType) {
        case ctCount: return static_cast<double>(count_);
        case ctSum: return total_;
        case ctMin:
        case ctMax: return count_ > 0 ? total_ : 0;
        case ctAverage: return count_ > 0 ? total_ / static_cast<double>(count_) : 0;
    }
    return 0;
}
