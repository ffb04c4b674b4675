#include "support/BitmapDifference.h"

#include <cstdlib>

namespace velmora::test {

double meanDifference(const Bitmap& a, const Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.empty()) {
        return 1e9;
    }
    double sum = 0.0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width() * 3; ++x) {
            sum += std::abs(a.row(y)[x] - b.row(y)[x]);
        }
    }
    return sum / (static_cast<double>(a.width()) * a.height() * 3);
}

}  // namespace velmora::test
