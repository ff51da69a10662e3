#include "tests/x11/program_window.h"

#include "engine/pixel_scan.h"
#include "engine/stroke_trace.h"
#include "tests/x11/x11_session.h"

#include <QColor>
#include <QFile>
#include <QPainter>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace stylorex::testing {

namespace {

// The main window's first-start height below its menu bar, status rows included, and the heights
// the layout takes off it above the bottom panel.
constexpr int kClientHeight = 507 + 15;  // and the second status row
constexpr int kAboveBottomPanel = 243;   // two status rows, four scroll-bar heights, bottom panel
constexpr int kScrollBarHeight = 17;

}  // namespace

void TypeKey(Display* display, unsigned long keysym, bool control, bool shift) {
    const unsigned controlCode = XKeysymToKeycode(display, XK_Control_L);
    const unsigned shiftCode = XKeysymToKeycode(display, XK_Shift_L);
    const unsigned code = XKeysymToKeycode(display, keysym);
    if (control) {
        XTestFakeKeyEvent(display, controlCode, True, CurrentTime);
    }
    if (shift) {
        XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
    }
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (shift) {
        XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
    }
    if (control) {
        XTestFakeKeyEvent(display, controlCode, False, CurrentTime);
    }
    XSync(display, False);
}

void ClickAt(Display* display, QPoint root) {
    XTestFakeMotionEvent(display, -1, root.x(), root.y(), CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
}

std::optional<unsigned long> FindProgramWindow(Display* display, long long pid) {
    const unsigned long window = FindViewableWindow(display, [&](unsigned long candidate) {
        return WindowPid(display, candidate) == pid &&
               WindowTitle(display, candidate).startsWith(QStringLiteral("Stylorex"));
    });
    return window != 0 ? std::optional<unsigned long>(window) : std::nullopt;
}

void CopyProgram(const QString& program, const QString& copy) {
    ASSERT_TRUE(QFile::copy(program, copy));
    ASSERT_TRUE(QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner));
}

void StartOnX11(QProcess& process, const QString& program) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, {});
    ASSERT_TRUE(process.waitForStarted(5000));
}

void CopyInAnotherProgram(QProcess& owner, const QString& ownerProgram, const QString& pngFile,
                          const QString& mimeType) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    owner.setProcessEnvironment(env);
    owner.setProcessChannelMode(QProcess::SeparateChannels);
    owner.setReadChannel(QProcess::StandardOutput);
    owner.start(ownerProgram,
                mimeType.isEmpty() ? QStringList{pngFile} : QStringList{pngFile, mimeType});
    ASSERT_TRUE(owner.waitForStarted(5000));
    ASSERT_TRUE(Eventually(
        [&] {
            owner.waitForReadyRead(50);
            return owner.readAllStandardOutput().contains("ready");
        },
        10000, 20))
        << "the other program never took the clipboard";
}

std::optional<unsigned long> WaitForProgramWindow(Display* display, const QProcess& process) {
    std::optional<unsigned long> window;
    Eventually(
        [&] {
            window = FindProgramWindow(display, process.processId());
            return window.has_value();
        },
        15000, 20);
    return window;
}

void StopProgram(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

void GiveKeyboard(Display* display, unsigned long window) {
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
}

bool TitleShowsRun(const QString& title) {
    return title.contains(QStringLiteral("[描画開始")) ||
           title.contains(QStringLiteral("[処理完了]"));
}

bool TabAndEnterUntilRunStarts(Display* display, const std::function<QString()>& title) {
    bool started = false;
    for (int tabs = 0; tabs < 40 && !started; ++tabs) {
        TypeKey(display, XK_Tab);
        TypeKey(display, XK_Return);
        started = Eventually([&] { return TitleShowsRun(title()); }, 300, 20);
    }
    return started;
}

QPoint ProgramGeometry::bottomPanel(int x, int y) const {
    // Where the formulas put it, but not up into the painter panel while the client area has
    // room below it (ui/frm_graph_layout.cpp).
    constexpr int kPainterPanelHeight = 329;
    constexpr int kPainterPanelShortest = 329 - (121 - 53);
    constexpr int kBottomPanelHeight = 145;
    constexpr int kStatusRowsHeight = 30;
    const int formulaTop = height - kAboveBottomPanel + kScrollBarHeight;
    const int clientHeight = height - menuBarHeight - kStatusRowsHeight;
    const int top = std::max({formulaTop, kPainterPanelShortest,
                              std::min(kPainterPanelHeight, clientHeight - kBottomPanelHeight)});
    return central(x, top + y);
}

std::optional<ProgramGeometry> ReadProgramGeometry(Display* display, unsigned long window) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
        return std::nullopt;
    }
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &rootX, &rootY,
                               &child)) {
        return std::nullopt;
    }
    ProgramGeometry geometry;
    geometry.origin = QPoint(rootX, rootY);
    geometry.width = attributes.width;
    geometry.height = attributes.height;
    geometry.menuBarHeight = attributes.height - kClientHeight;
    if (geometry.menuBarHeight <= 0) {
        return std::nullopt;
    }
    return geometry;
}

QImage ScreenPixels(Display* display, int x, int y, int width, int height) {
    XImage* shot =
        XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    QImage image(width, height, QImage::Format_RGB32);
    if (shot == nullptr) {
        image.fill(Qt::magenta);
        return image;
    }
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned long pixel = XGetPixel(shot, column, row);
            image.setPixel(column, row,
                           qRgb(static_cast<int>((pixel & shot->red_mask) >> 16),
                                static_cast<int>((pixel & shot->green_mask) >> 8),
                                static_cast<int>(pixel & shot->blue_mask)));
        }
    }
    XDestroyImage(shot);
    return image;
}

QImage LineArt(int side) {
    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(20, 20, 60, 40);
    painter.drawLine(100, 20, 160, 80);
    painter.drawLine(180, 10, 180, 190);
    painter.drawEllipse(QPoint(120, 150), 20, 20);
    painter.end();
    for (int x = 30; x <= 90; ++x) {
        picture.setPixel(x, 100, qRgb(0, 0, 0));
        picture.setPixel(x, 101, qRgb(0, 0, 0));
    }
    picture.setPixel(50, 150, qRgb(0, 0, 0));
    return picture;
}

QImage IsolatedDots(int count, int spacing) {
    QImage picture(count * spacing, count * spacing, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < count; ++column) {
            picture.setPixel(column * spacing + 1, row * spacing + 1, qRgb(0, 0, 0));
        }
    }
    return picture;
}

std::set<std::pair<int, int>> DarkPixels(const QImage& picture) {
    std::set<std::pair<int, int>> dark;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            if (qRed(c) <= 80 && qGreen(c) <= 80 && qBlue(c) <= 80) {
                dark.insert({x, y});
            }
        }
    }
    return dark;
}

std::set<std::pair<int, int>> DrawnPixels(const std::vector<ReceivedEvent>& events, int originX,
                                          int originY) {
    std::set<std::pair<int, int>> drawn;
    bool down = false;
    for (const ReceivedEvent& e : events) {
        if (e.kind == ReceivedEvent::Kind::Press) {
            down = true;
        }
        if (down) {
            drawn.insert({e.x - originX, e.y - originY});
        }
        if (e.kind == ReceivedEvent::Kind::Release) {
            down = false;
        }
    }
    return drawn;
}

std::vector<ReceivedEvent> ExpectedRunEvents(const QImage& picture, int originX, int originY) {
    using Kind = ReceivedEvent::Kind;
    ScanTables tables;
    ScanPicture(picture, ExtractionSettings{}, tables);
    std::vector<ReceivedEvent> events;
    auto at = [&](Kind kind, PixelPoint p) {
        events.push_back({kind, originX + p.X, originY + p.Y});
    };
    StrokeWalker walker(tables);
    PixelPoint p;
    while (walker.nextStroke(p)) {
        at(Kind::Motion, p);
        at(Kind::Press, p);
        while (walker.nextPoint(p)) {
            at(Kind::Motion, p);
        }
        at(Kind::Release, p);
    }
    return events;
}

std::vector<ReceivedEvent> StrokeEvents(std::vector<ReceivedEvent> events, const QRect& area) {
    while (!events.empty() && events.back().kind == ReceivedEvent::Kind::Motion &&
           !area.contains(events.back().x, events.back().y)) {
        events.pop_back();
    }
    return events;
}

}  // namespace stylorex::testing
