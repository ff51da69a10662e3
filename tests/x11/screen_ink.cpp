#include "tests/x11/screen_ink.h"

#include "os/x11/screen_x11.h"
#include "tests/x11/x11_session.h"

#include <utility>

namespace stylorex::testing {

InkComparison CompareInk(const QImage& picture, QPoint at, const QImage& before,
                         const QImage& after, int reach) {
    const QRect inside(at, picture.size());
    const auto line = [&](int x, int y) {
        return inside.contains(x, y) && qGray(picture.pixel(x - at.x(), y - at.y())) <= 80;
    };
    const auto changed = [&](int x, int y) { return before.pixel(x, y) != after.pixel(x, y); };
    const auto ink = [&](int x, int y) {
        return before.valid(x, y) &&
               qGray(before.pixel(x, y)) - qGray(after.pixel(x, y)) >= InkComparison::kInkStep;
    };
    InkComparison result;
    std::size_t covered = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            bool nearLine = false;
            bool nearInk = false;
            for (int dy = -reach; dy <= reach; ++dy) {
                for (int dx = -reach; dx <= reach; ++dx) {
                    nearLine = nearLine || line(x + dx, y + dy);
                    nearInk = nearInk || ink(x + dx, y + dy);
                }
            }
            if (line(x, y)) {
                ++result.linePixels;
                result.missing += changed(x, y) ? 0 : 1;
                covered += nearInk ? 1 : 0;
            } else {
                result.extra += changed(x, y) ? 1 : 0;
                result.far += ink(x, y) && !nearLine ? 1 : 0;
            }
        }
    }
    result.coverage = result.linePixels == 0
                          ? 1.0
                          : static_cast<double>(covered) / static_cast<double>(result.linePixels);
    return result;
}

QImage SettledScreen(const QRect& area, int ms) {
    QString error;
    const auto screen = X11Screen::open(&error);
    if (!screen) {
        return {};
    }
    QImage after = screen->grab(area);
    int quiet = 0;
    Eventually(
        [&] {
            QImage again = screen->grab(area);
            quiet = again == after ? quiet + 1 : 0;
            after = std::move(again);
            return quiet >= 2;
        },
        ms, 100);
    return after;
}

}  // namespace stylorex::testing
