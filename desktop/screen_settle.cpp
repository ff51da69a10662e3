#include "desktop/screen_settle.h"

#include "os/screen_reader.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <thread>

namespace stylorex {

namespace {

constexpr std::chrono::milliseconds kPoll{5};
// Reads in a row that show the same: the repaints are over.
constexpr int kStableReads = 3;

}  // namespace

bool WaitUntilScreenSettles(ScreenReader& screen, const QRect& rect,
                            const std::function<bool(const QImage&)>& isBack,
                            std::chrono::milliseconds limit) {
    // The server has taken our window away before the first read.
    QGuiApplication::sync();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QImage last;
    int same = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents();
        QImage now = screen.grab(rect);
        if (isBack(now)) {
            return true;
        }
        same = !now.isNull() && now == last ? same + 1 : 0;
        if (same + 1 >= kStableReads) {
            return true;
        }
        last = std::move(now);
        std::this_thread::sleep_for(kPoll);
    }
    return false;
}

}  // namespace stylorex
