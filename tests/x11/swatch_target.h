#pragma once

#include <QPoint>
#include <QRect>
#include <QRgb>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

typedef struct _XDisplay Display;

namespace stylorex::testing {

// A colour paint program of the tests' own: a row of colour swatches along its top and a white
// canvas below. A press on a swatch makes its colour the ink; a left-button drag on the canvas
// inks the pixels it passes over in that ink, joining successive positions with one-pixel lines.
// It keeps its own record of every press and of every pixel's ink.
class SwatchTarget {
  public:
    static constexpr int kSwatchSize = 16;
    static constexpr int kSwatchStep = 24;  // from one swatch's left edge to the next one's
    static constexpr int kCanvasTop = 32;   // the canvas's first row, in the window

    // How a swatch answers a press.
    enum class Answer {
        Takes,
        IgnoresFirstPress,  // the first press does nothing, later ones take
        NeverTakes,
    };
    struct Swatch {
        QRgb colour;
        Answer answer = Answer::Takes;
    };
    struct Press {
        QPoint at;   // screen
        int swatch;  // the swatch pressed, or -1 on the canvas
        QRgb ink;    // the ink after the press
    };

    // `geometry` on the screen; the ink before any swatch is pressed is black.
    SwatchTarget(QRect geometry, std::vector<Swatch> swatches);
    ~SwatchTarget();
    SwatchTarget(const SwatchTarget&) = delete;
    SwatchTarget& operator=(const SwatchTarget&) = delete;

    bool mapped() const { return mapped_; }
    // The centre of swatch `index` on the screen.
    QPoint swatchCentre(int index) const;
    // The canvas's top-left pixel on the screen.
    QPoint canvasTopLeft() const { return geometry_.topLeft() + QPoint(0, kCanvasTop); }
    // Waits until the target has handled every event the server delivered before this call.
    bool settle();
    std::vector<Press> presses() const;
    // Every canvas pixel inked so far (screen coordinates) with the ink it got last.
    std::map<std::pair<int, int>, QRgb> inked() const;

  private:
    void run();
    void press(QPoint at);
    void ink(QPoint from, QPoint to);
    void fill(QRect rect, QRgb colour);

    QRect geometry_;
    std::vector<Swatch> swatches_;
    std::vector<int> pressesOfSwatch_;
    Display* display_ = nullptr;
    unsigned long window_ = 0;
    unsigned long gc_ = 0;
    bool mapped_ = false;
    QRgb ink_ = 0xff000000;
    mutable std::mutex mutex_;
    std::vector<Press> presses_;
    std::map<std::pair<int, int>, QRgb> inked_;
    std::atomic<int> settled_{0};
    std::atomic<bool> stop_{false};
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace stylorex::testing
