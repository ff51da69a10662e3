#pragma once

#include "tests/x11/target_program.h"

#include <QRect>
#include <QString>

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

}  // namespace stylorex::testing
