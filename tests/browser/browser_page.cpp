#include "tests/browser/browser_page.h"

#include "tests/x11/x11_session.h"

#include <QFileInfo>
#include <QUrl>

#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace stylorex::testing {

namespace {

constexpr QSize kCanvasSize(640, 480);
constexpr QRgb kCanvasColour = 0xFFFFFFFFU;

}  // namespace

BrowserPage::BrowserPage(const QString& site, const QString& page)
    : page_(page), program_(QStringLiteral("chromium")) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        error_ = QStringLiteral("no X display");
        return;
    }
    if (start(site)) {
        findCanvas();
    }
}

BrowserPage::~BrowserPage() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

bool BrowserPage::start(const QString& site) {
    const QString file = site + QLatin1Char('/') + page_ + QStringLiteral(".html");
    if (!QFileInfo::exists(file)) {
        error_ = QStringLiteral("no page ") + file;
        return false;
    }
    if (page_ != QStringLiteral("one_pixel") &&
        !QFileInfo::exists(site + QStringLiteral("/node_modules/") + page_)) {
        error_ = QStringLiteral(
                     "npm package %1 is not installed in %2 (the browser_packages "
                     "test runs npm ci there)")
                     .arg(page_, site);
        return false;
    }
    if (program_.folder().isEmpty()) {
        error_ = QStringLiteral("no temporary profile for Chromium");
        return false;
    }
    std::vector<std::string> arguments = {
        "chromium",
        "--user-data-dir=" + program_.folder().toStdString(),
        "--no-first-run",
        "--no-default-browser-check",
        "--disable-default-apps",
        "--disable-extensions",
        "--disable-sync",
        "--disable-translate",
        "--password-store=basic",
        "--force-device-scale-factor=1",
        "--window-position=0,0",
        "--window-size=720,600",
        // The atrament page imports its ES module from the next folder, which a file:// page
        // may only do with this.
        "--allow-file-access-from-files",
        "--app=" + QUrl::fromLocalFile(file).toString().toStdString(),
    };
    // Chromium refuses to start as root with its sandbox on (CI runs as root); the pages are
    // the tests' own and load nothing from elsewhere.
    if (geteuid() == 0) {
        arguments.insert(arguments.begin() + 1, "--no-sandbox");
    }
    // The browser and every process it starts end together.
    if (!program_.start(arguments, {}, true)) {
        error_ = QStringLiteral("chromium could not be started (scripts/install-deps installs it)");
        return false;
    }
    // The page sets its title once it has set up its canvas.
    const QString title = QStringLiteral("stylorex %1 ready").arg(page_);
    if (!Eventually(
            [&] {
                window_ = FindViewableWindow(display_, [&](unsigned long window) {
                    return WindowTitle(display_, window) == title;
                });
                return window_ != 0;
            },
            30000, 50)) {
        error_ = QStringLiteral("Chromium's window with the page ready did not appear");
        return false;
    }
    return true;
}

bool BrowserPage::findCanvas() {
    // The canvas stands at (20, 20) of a grey page: the only white area of its size in the
    // window, once it is shown.
    QString error;
    const std::optional<QRect> canvas =
        WaitForBlankCanvas(display_, window_, kCanvasSize, kCanvasColour, 15000, 100, &error);
    if (!canvas) {
        error_ =
            error.isEmpty()
                ? QStringLiteral("the page's white 640 x 480 canvas was not found on the screen")
                : error;
        return false;
    }
    canvas_ = *canvas;
    // Let the page settle: the first frames after load may still be composited.
    Pause(300);
    return true;
}

}  // namespace stylorex::testing
