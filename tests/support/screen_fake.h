#pragma once

#include "os/screen_reader.h"

#include <QColor>
#include <QImage>

#include <functional>
#include <vector>

namespace stylorex {

// A screen for tests: an image of the desktop that the test paints, read back as the X11 screen
// reads the real one, with every single-pixel read recorded.
class FakeScreen : public ScreenReader {
  public:
    explicit FakeScreen(QSize size = QSize(1280, 1024)) : image(size, QImage::Format_RGB32) {
        image.fill(Qt::white);
    }

    QImage grab(const QRect& rect) override {
        if (rect.isEmpty() || !image.rect().contains(rect)) {
            return {};
        }
        return image.copy(rect);
    }
    std::optional<QRgb> pixel(QPoint at) override {
        reads.push_back(at);
        if (onRead) {
            onRead(at);
        }
        if (!image.valid(at)) {
            return std::nullopt;
        }
        return image.pixel(at);
    }

    QImage image;
    std::vector<QPoint> reads;
    // Runs before each single-pixel read is answered: a test paints there what the target would
    // have drawn by then.
    std::function<void(QPoint)> onRead;
};

}  // namespace stylorex
