#include "support/ReferenceImages.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int channelTolerance = 40;
constexpr double allowedShare = 0.005;

std::string besideReference(const std::string& referenceFile, const std::string& suffix) {
    std::string base = referenceFile;
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".png") == 0) base.resize(base.size() - 4);
    return base + suffix;
}

bool differs(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) > channelTolerance || std::abs(qGreen(a) - qGreen(b)) > channelTolerance ||
           std::abs(qBlue(a) - qBlue(b)) > channelTolerance;
}

}  // namespace

bool MatchesReference(const QImage& actual, const std::string& referenceFile, std::string* why) {
    QImage shown = actual.convertToFormat(QImage::Format_RGB32);
    if (std::getenv("QM_UPDATE_REFERENCES")) return shown.save(QString::fromStdString(referenceFile), "PNG");
    QImage reference(QString::fromStdString(referenceFile));
    auto fail = [&](const std::string& text, const QImage* diff) {
        shown.save(QString::fromStdString(besideReference(referenceFile, ".actual.png")), "PNG");
        if (diff) diff->save(QString::fromStdString(besideReference(referenceFile, ".diff.png")), "PNG");
        if (why) *why = text;
        return false;
    };
    if (reference.isNull()) return fail("no reference picture " + referenceFile, nullptr);
    reference = reference.convertToFormat(QImage::Format_RGB32);
    if (reference.size() != shown.size()) return fail("the sizes differ", nullptr);
    QImage diff(shown.size(), QImage::Format_RGB32);
    diff.fill(Qt::white);
    long long differing = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (differs(shown.pixel(x, y), reference.pixel(x, y))) {
                ++differing;
                diff.setPixel(x, y, qRgb(255, 0, 0));
            }
    long long total = static_cast<long long>(shown.width()) * shown.height();
    if (differing > total * allowedShare)
        return fail(std::to_string(differing) + " of " + std::to_string(total) + " pixels differ", &diff);
    return true;
}
