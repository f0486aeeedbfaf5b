#include "reporting/RSDefine.h"

const char* const ReportEngineVersion = "1.0.0.2017";

void DefaultMessageHook(const std::string& Source, std::string& Dest) { Dest = Source; }

TMessageHook MessageHook = DefaultMessageHook;

std::string throughMessageHook(const std::string& Source) {
    std::string result;
    (MessageHook ? MessageHook : DefaultMessageHook)(Source, result);
    return result;
}

void RaiseReportError(const std::string& Msg) { throw EDazedeVedodev(Msg); }

TColor ShadeColor(TColor Color, std::uint8_t Percent) {
    int percent = Percent > 100 ? 100 : Percent;
    TColor rgb = ColorToRGB(Color);
    auto mix = [percent](int c) { return c + (100 - percent) * (255 - c) / 100; };
    return RGB(mix(GetRValue(rgb)), mix(GetGValue(rgb)), mix(GetBValue(rgb)));
}

double unitsFactorOf(TPrintUnits Units, double Current) {
    switch (Units) {
        case unInch: return 1.0;
        case unMM: return 25.4;
        case unCM: return 2.54;
        case unPoint: return 72.0;
        case unUser: break;
    }
    return Current;
}

TPrintUnits unitsOfFactor(double Factor) {
    for (TPrintUnits units : {unInch, unMM, unCM, unPoint})
        if (unitsFactorOf(units, 0) == Factor) return units;
    return unUser;
}
