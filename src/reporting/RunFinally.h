#pragma once
// withFinally: the try/finally of the shells' fixed event order. Body runs,
// then Finally, also when Body raises; an exception from Finally then takes
// the place of Body's, as it does in a finally block.
#include <utility>

template <class Body, class Finally>
void withFinally(Body&& body, Finally&& finally) {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        std::forward<Finally>(finally)();
        throw;
    }
    std::forward<Finally>(finally)();
}
