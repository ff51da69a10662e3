#pragma once

#include "tests/x11/target_program.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <cstddef>

typedef struct _XDisplay Display;

namespace stylorex::testing {

// A page of tests/browser in Debian's Chromium on the X server in DISPLAY, for as long as the
// object lives: a fresh profile of its own, an app window (no tabs, no address bar) at scale 1,
// its white 640 x 480 canvas found on the screen. The pages and their npm packages are in
// `site` (the build's copy, where `npm ci` installed them).
class BrowserPage {
  public:
    // `page`: one_pixel, atrament or signature_pad.
    BrowserPage(const QString& site, const QString& page);
    ~BrowserPage();
    BrowserPage(const BrowserPage&) = delete;
    BrowserPage& operator=(const BrowserPage&) = delete;

    // Whether the page is loaded, set up and its canvas found; why not otherwise.
    bool ready() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    // The canvas's pixels on the screen.
    QRect canvas() const { return canvas_; }

  private:
    bool start(const QString& site);
    bool findCanvas();

    QString page_;
    TargetProgram program_;
    Display* display_ = nullptr;
    unsigned long window_ = 0;
    QRect canvas_;
    QString error_;
};

// What a run left on the screen against its picture's line pixels: `before` and `after` are an
// area read before the run and once the screen stood still after it, the picture's top-left
// pixel at `at` in it (a margin around it shows ink strayed outside). A pixel is changed when it
// differs at all; it holds ink when it turned at least kInkStep darker in grey (fainter
// antialiasing grey is not ink a user sees as a line).
struct InkComparison {
    static constexpr int kInkStep = 48;
    std::size_t linePixels = 0;
    std::size_t missing = 0;  // line pixels left unchanged
    std::size_t extra = 0;    // other pixels changed
    // Line pixels with ink within 1 px (the 3 x 3 block around them), out of all.
    double coverage = 0;
    // Ink farther than 1 px from every line pixel.
    std::size_t far = 0;
};
InkComparison CompareInk(const QImage& picture, QPoint at, const QImage& before,
                         const QImage& after);

// `area` read from the screen once it has stood still (the same three reads 100 ms apart),
// within `ms`.
QImage SettledScreen(const QRect& area, int ms = 5000);

}  // namespace stylorex::testing
