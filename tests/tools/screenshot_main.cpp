// Renders the main window into a PNG file for the README: as it looks right after start-up, or
// (with --painter) after a small picture has been drawn on the canvas with the painter's tools.
// The painter's picture is drawn through real XTest moves, button presses and key presses on
// the X server in DISPLAY, as a user would draw it. The pointer the window reads its live
// position from is a fixed stand-in, so the position label shows the same text every time.
#include "canvas/picture_box.h"
#include "common/window_text.h"
#include "painter/drawing_tools.h"
#include "tests/support/named_child.h"
#include "tests/support/pointer_fake.h"
#include "ui/frm_graph.h"

#include <QApplication>
#include <QComboBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <utility>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// XTest input to the window, each step given time to arrive.
class UserHands {
  public:
    UserHands() : display_(XOpenDisplay(nullptr)) {}
    ~UserHands() {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
    }
    UserHands(const UserHands&) = delete;
    UserHands& operator=(const UserHands&) = delete;

    bool ok() const { return display_ != nullptr; }

    void moveTo(QPoint root) {
        XTestFakeMotionEvent(display_, -1, root.x(), root.y(), CurrentTime);
        settle();
    }
    void button(bool down) {
        XTestFakeButtonEvent(display_, 1, down ? True : False, CurrentTime);
        settle();
    }
    void key(KeySym symbol, bool shift = false) {
        const unsigned shiftCode = XKeysymToKeycode(display_, XK_Shift_L);
        const unsigned code = XKeysymToKeycode(display_, symbol);
        if (shift) {
            XTestFakeKeyEvent(display_, shiftCode, True, CurrentTime);
        }
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        if (shift) {
            XTestFakeKeyEvent(display_, shiftCode, False, CurrentTime);
        }
        settle();
    }
    // Letters and spaces only.
    void type(const char* text) {
        for (const char* c = text; *c != '\0'; ++c) {
            if (*c == ' ') {
                key(XK_space);
            } else {
                const bool upper = *c >= 'A' && *c <= 'Z';
                const char lower = upper ? static_cast<char>(*c - 'A' + 'a') : *c;
                key(XK_a + (lower - 'a'), upper);
            }
        }
    }

  private:
    void settle() {
        XSync(display_, False);
        QTest::qWait(15);
    }
    Display* display_;
};

// Draws with the painter's tools on the window's canvas through `hands`.
class PainterUser {
  public:
    PainterUser(stylorex::frmGraph& window, UserHands& hands) : window_(window), hands_(hands) {}

    void chooseTool(int tool) {
        QComboBox* box = stylorex::NamedChild<QComboBox>(window_, "cmbMethod");
        box->setFocus();
        (void)QTest::qWaitFor([&] { return QApplication::focusWidget() == box; });
        for (int i = 0; i < 10 && box->currentIndex() != tool; ++i) {
            const int before = box->currentIndex();
            hands_.key(before < tool ? XK_Down : XK_Up);
            (void)QTest::qWaitFor([&] { return box->currentIndex() != before; }, 1000);
        }
    }
    void drag(QPoint from, QPoint to) {
        hands_.moveTo(onCanvas(from));
        hands_.button(true);
        for (int step = 1; step <= 8; ++step) {
            hands_.moveTo(onCanvas(from + (to - from) * step / 8));
        }
        hands_.button(false);
        QTest::qWait(50);
    }
    void click(QPoint at) { drag(at, at); }

  private:
    QPoint onCanvas(QPoint p) const {
        return stylorex::NamedChild<stylorex::PictureBox>(window_, "picSRC")->mapToGlobal(p);
    }
    stylorex::frmGraph& window_;
    UserHands& hands_;
};

// A house under the sun on a curved hill, with a caption.
bool drawPainterPicture(stylorex::frmGraph& window) {
    UserHands hands;
    if (!hands.ok()) {
        std::fprintf(stderr, "no X server for the painter's picture\n");
        return false;
    }
    PainterUser user(window, hands);
    using namespace stylorex;

    user.chooseTool(kToolRectangle);
    user.drag({50, 100}, {120, 160});  // the house
    user.drag({75, 125}, {95, 160});   // its door
    user.chooseTool(kToolLine);
    user.drag({44, 100}, {85, 62});  // the roof
    user.drag({85, 62}, {126, 100});
    user.chooseTool(kToolCircle);
    user.drag({165, 45}, {165, 62});  // the sun
    user.chooseTool(kToolLine);       // and its rays
    for (const auto& [from, to] :
         {std::pair{QPoint(165, 22), QPoint(165, 12)}, std::pair{QPoint(165, 68), QPoint(165, 78)},
          std::pair{QPoint(142, 45), QPoint(132, 45)}, std::pair{QPoint(188, 45), QPoint(198, 45)},
          std::pair{QPoint(181, 29), QPoint(188, 22)}, std::pair{QPoint(149, 29), QPoint(142, 22)},
          std::pair{QPoint(181, 61), QPoint(188, 68)},
          std::pair{QPoint(149, 61), QPoint(142, 68)}}) {
        user.drag(from, to);
    }
    user.chooseTool(kToolEllipse);
    user.drag({45, 48}, {75, 56});  // a cloud
    user.chooseTool(kToolBezier);
    user.drag({8, 175}, {192, 175});  // the hill: laid out, its control points pulled up
    user.drag({8, 155}, {60, 140});
    user.drag({8, 195}, {140, 200});
    user.click({190, 20});  // away from every handle: the curve is committed
    user.chooseTool(kToolText);
    user.click({10, 8});
    QPlainTextEdit* textBox = NamedChild<QPlainTextEdit>(window, "txtChar");
    if (!QTest::qWaitFor([&] { return textBox->isVisible(); }, 3000)) {
        std::fprintf(stderr, "the text box did not open\n");
        return false;
    }
    hands.type("Stylorex");
    hands.key(XK_Return);
    (void)QTest::qWaitFor([&] { return !textBox->isVisible(); }, 3000);
    NamedChild<QComboBox>(window, "cmbMethod")->setFocus();
    QTest::qWait(300);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool painter = argc == 3 && std::strcmp(argv[1], "--painter") == 0;
    if (argc != 2 && !painter) {
        std::fprintf(stderr, "usage: %s [--painter] OUTPUT.png\n", argv[0]);
        return 2;
    }
    const char* output = argv[argc - 1];
    QTemporaryDir settingsFolder;  // a first start: no settings file
    stylorex::FakePointer pointer;
    pointer.setPosition(QPoint(412, 305));
    stylorex::frmGraph window(pointer);
    window.setSettingsPath(settingsFolder.filePath(QStringLiteral("stylorex.ini")));
    window.load();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    if (painter) {
        // No window manager: the keys typed into the text tool need the window active.
        window.activateWindow();
        (void)QTest::qWaitForWindowActive(&window);
    }
    QTest::qWait(400);  // a few ticks of the position timer and the first paints
    if (painter && !drawPainterPicture(window)) {
        return 1;
    }
    const QPixmap image = window.grab();
    if (!image.save(QString::fromLocal8Bit(output), "PNG")) {
        std::fprintf(stderr, "could not write %s\n", output);
        return 1;
    }
    return 0;
}
