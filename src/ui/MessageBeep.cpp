#include "ui/MessageBeep.h"

#include <QApplication>

namespace {
std::vector<unsigned>& heard() {
    static std::vector<unsigned> beeps;
    return beeps;
}
}  // namespace

void MessageBeep(unsigned Type) {
    heard().push_back(Type);
    if (QApplication::instance()) QApplication::beep();
}

const std::vector<unsigned>& messageBeepsHeard() { return heard(); }

void clearMessageBeeps() { heard().clear(); }
