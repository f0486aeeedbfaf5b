#pragma once
// Pictures compared with reference PNGs stored beside the tests. A picture
// matches when at most 0.5% of its pixels differ by more than 40 in any
// channel (and the sizes agree). On a mismatch the actual picture and a
// difference picture (differing pixels red) are written next to the
// reference as <name>.actual.png and <name>.diff.png. With the environment
// variable QM_UPDATE_REFERENCES set, the actual picture becomes the
// reference and the comparison passes.
#include <QImage>

#include <string>

bool MatchesReference(const QImage& actual, const std::string& referenceFile, std::string* why = nullptr);
