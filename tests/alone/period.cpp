// period.h alone: both functions instantiated.
#include <cycle/period.h>

long periodAlone(int start) {
    auto f = [](const int& x) { return (x * x + 1) % 255; };
    return static_cast<long>(cycle::findPeriod(start, f).lambda +
                             cycle::findPeriodWithin(start, f, 10).has_value());
}
