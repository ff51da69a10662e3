#include "ui/window_placement.h"

#include "desktop/desktop_pixels.h"
#include "os/desktop_windows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <tuple>

namespace stylorex {

namespace {

std::int64_t Area(const QRect& rect) {
    return rect.isEmpty() ? 0 : std::int64_t{rect.width()} * rect.height();
}

// The places along one axis where the window's edge meets the room's or another window's edge.
std::vector<int> EdgePlaces(int roomStart, int roomEnd, int extent,
                            const std::vector<std::pair<int, int>>& spans) {
    std::vector<int> places = {roomStart, roomEnd - extent};
    for (const auto& [start, end] : spans) {
        places.push_back(end);
        places.push_back(start - extent);
    }
    for (int& place : places) {
        place = std::clamp(place, roomStart, std::max(roomStart, roomEnd - extent));
    }
    return places;
}

}  // namespace

QPoint LeastCoveringPlace(QSize frame, const QRect& room, const std::vector<QRect>& others) {
    std::vector<std::pair<int, int>> columns;
    std::vector<std::pair<int, int>> rows;
    for (const QRect& other : others) {
        columns.emplace_back(other.left(), other.left() + other.width());
        rows.emplace_back(other.top(), other.top() + other.height());
    }
    // The least covering place has each of its edges on an edge of the room or of another
    // window (a place between them can slide until one meets without covering more).
    const std::vector<int> xs =
        EdgePlaces(room.left(), room.left() + room.width(), frame.width(), columns);
    const std::vector<int> ys =
        EdgePlaces(room.top(), room.top() + room.height(), frame.height(), rows);
    auto best = std::tuple(std::numeric_limits<std::int64_t>::max(), 0, 0);
    for (const int x : xs) {
        for (const int y : ys) {
            const QRect place(QPoint(x, y), frame);
            std::int64_t covered = 0;
            for (const QRect& other : others) {
                covered += Area(place.intersected(other));
            }
            best = std::min(best, std::tuple(covered, x, y));
        }
    }
    return QPoint(std::get<1>(best), std::get<2>(best));
}

void WindowPlacement::placeAtStart(const QRect& saved) {
    restored_ = restore(saved);
    if (restored_) {
        return;
    }
    others_.clear();
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen != nullptr) {
        // The window system counts desktop pixels, Qt places windows in logical ones.
        for (const QRect& shown : ShownDesktopWindows()) {
            others_.push_back(QRectF(ToLogical(*screen, shown.topLeft()),
                                     ToLogical(*screen, QPointF(shown.x() + shown.width(),
                                                                shown.y() + shown.height())))
                                  .toAlignedRect());
        }
    }
    placeAmongOthers();
}

bool WindowPlacement::restore(const QRect& saved) {
    if (saved.isEmpty()) {
        return false;
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(saved)) {
            window_.setGeometry(saved);
            return true;
        }
    }
    return false;
}

void WindowPlacement::placeAmongOthers() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    window_.move(
        LeastCoveringPlace(window_.frameGeometry().size(), screen->availableGeometry(), others_));
}

void WindowPlacement::windowShown() {
    if (!placedAfterShow_) {
        placedAfterShow_ = true;
        if (!restored_) {
            placeAmongOthers();
        }
    }
}

void WindowPlacement::windowMovedOrResized() {
    // The window manager's frame arrives after the first show, if at all: the window is fitted
    // and placed again with it, once.
    if (!fittedWithFrame_ && window_.frameGeometry().size() != window_.size()) {
        fittedWithFrame_ = true;
        fitIntoScreen();
        if (!restored_) {
            placeAmongOthers();
        }
    }
}

void WindowPlacement::fitIntoScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QSize frame = window_.frameGeometry().size() - window_.size();
    const QSize room = screen->availableGeometry().size() - frame;
    if (window_.width() > room.width() || window_.height() > room.height()) {
        window_.resize(window_.size().boundedTo(room));
    }
}

QRect WindowPlacement::placeToKeep() const {
    return window_.isMaximized() || window_.isMinimized() ? window_.normalGeometry()
                                                          : window_.geometry();
}

}  // namespace stylorex
