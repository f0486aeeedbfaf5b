#pragma once
// Which data upgrades a company needs, by the build stamped in its registry
// file: the steps of each build band, as data. The steps themselves are
// methods of the data module (DataModule.h).
#include <span>

class TDataModule1;

struct TUpgradeStep {
    const char* Name;
    bool (TDataModule1::*Run)();
};

// Builds below Below (and at or above the previous band's) run Steps, in
// order, after the upgrade question when Asks is set; then the indexes are
// rebuilt and the program's build is stamped.
struct TBuildBand {
    int Below;
    bool Asks;
    std::span<const TUpgradeStep> Steps;
};

namespace Upgrades {

// The band a company of Build falls in; nullptr when it needs nothing.
const TBuildBand* bandOf(int Build);

}  // namespace Upgrades
