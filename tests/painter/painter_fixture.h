#pragma once

#include "canvas/picture_box.h"
#include "engine/run_state.h"
#include "painter/bezier_tool.h"
#include "painter/drawing_tools.h"
#include "painter/painter.h"
#include "painter/pen.h"
#include "tests/support/recording_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QScrollBar>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace stylorex {

// Counts the pixels of `image` within `area` (the whole image when empty) that `test` accepts.
template <typename Test>
int CountPixels(const QImage& image, Test test, QRect area = QRect()) {
    if (area.isNull()) {
        area = image.rect();
    }
    area = area.intersected(image.rect());
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (test(QColor(image.pixel(x, y)))) {
                ++count;
            }
        }
    }
    return count;
}

inline bool IsWhite(const QColor& c) {
    return c == QColor(255, 255, 255);
}
inline bool IsBlack(const QColor& c) {
    return c == QColor(0, 0, 0);
}
inline bool IsRed(const QColor& c) {
    return c == QColor(255, 0, 0);
}
inline bool IsGreen(const QColor& c) {
    return c == QColor(0, 255, 0);
}

inline int CountNotWhite(const QImage& image, QRect area = QRect()) {
    return CountPixels(
        image, [](const QColor& c) { return !IsWhite(c); }, area);
}

// The smallest rectangle around the pixels `test` accepts; null when there are none.
template <typename Test>
QRect BoundsOf(const QImage& image, Test test) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (test(QColor(image.pixel(x, y)))) {
                bounds = bounds.united(QRect(x, y, 1, 1));
            }
        }
    }
    return bounds;
}

inline QRect BlackBounds(const QImage& image) {
    return BoundsOf(image, IsBlack);
}

inline bool SameImage(const QImage& a, const QImage& b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// A window with the painter panel's controls and a 200 x 200 picture, as the main window builds
// them, and the painter on them. Mouse events go straight to the picture.
class PainterFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        host = std::make_unique<QWidget>();
        host->resize(400, 300);
        pic = new PictureBox(host.get());
        pic->setCanvasSize(200, 200);
        QFont font(QStringLiteral("IPAGothic"));
        font.setPointSize(12);
        pic->setFont(font);
        c.picSRC = pic;
        c.cmbMethod = new QComboBox(host.get());
        c.cmbDrawStyle = new QComboBox(host.get());
        c.DWBar = new QScrollBar(Qt::Horizontal, host.get());
        c.FramLine = new QFrame(host.get());
        c.LineView = new QFrame(c.FramLine);
        c.LineView->setFrameShape(QFrame::HLine);
        c.lblforecol = new QLabel(QStringLiteral("Label8"), host.get());
        c.lblforecol->hide();
        c.txtChar = new QPlainTextEdit(pic);
        c.txtChar->setFrameShape(QFrame::NoFrame);
        c.txtChar->resize(145, 41);
        c.txtInput = new QPlainTextEdit(QStringLiteral("text\n"), host.get());
        c.txtInput->move(210, 0);
        c.txtTextOut[0] = new QLineEdit(QStringLiteral("0"), host.get());
        c.txtTextOut[1] = new QLineEdit(QStringLiteral("0"), host.get());
        c.txtAngle = new QLineEdit(QStringLiteral("0"), host.get());
        c.txtAngle->setEnabled(false);
        c.cmdfont = new QPushButton(QStringLiteral("フォントの設定"), host.get());
        c.cmdDrawZtxt[0] = new QPushButton(QStringLiteral("普通に描画"), host.get());
        c.cmdDrawZtxt[1] = new QPushButton(QStringLiteral("中抜き描画"), host.get());
        c.mnu_menu1 = new QMenu(QStringLiteral("元絵(&M)"), host.get());
        c.mnu_menu1->addAction(QStringLiteral("クリア"));
        c.dialogs = &dialogs;
        c.runState = &runState;
        painter = std::make_unique<Painter>(c);
    }

    void TearDown() override {
        c.mnu_menu1->hide();
        painter.reset();
        host.reset();
    }

    void selectTool(DrawTool tool) { c.cmbMethod->setCurrentIndex(tool); }
    void setWidth(int width) { c.DWBar->setValue(width); }
    void setStyle(int index) { c.cmbDrawStyle->setCurrentIndex(index); }

    void send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPointF at) {
        QMouseEvent event(type, at, pic->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(pic, &event);
    }
    void press(QPointF at, Qt::MouseButton button = Qt::LeftButton,
               Qt::MouseButtons held = Qt::NoButton) {
        send(QEvent::MouseButtonPress, button, held | button, at);
    }
    void move(QPointF at, Qt::MouseButtons held = Qt::LeftButton) {
        send(QEvent::MouseMove, Qt::NoButton, held, at);
    }
    void release(QPointF at, Qt::MouseButton button = Qt::LeftButton,
                 Qt::MouseButtons stillHeld = Qt::NoButton) {
        send(QEvent::MouseButtonRelease, button, stillHeld, at);
    }
    void drag(QPointF from, QPointF to) {
        press(from);
        move((from + to) / 2);
        move(to);
        release(to);
    }
    void click(QPointF at) {
        press(at);
        release(at);
    }

    const QImage& persistent() const { return pic->persistentImage(); }
    const QImage& screen() const { return pic->screenImage(); }
    bool pixelIs(const QImage& image, int x, int y, const QColor& colour) const {
        return QColor(image.pixel(x, y)) == colour;
    }

    std::unique_ptr<QWidget> host;
    PictureBox* pic = nullptr;
    PainterControls c;
    RecordingDialogs dialogs;
    RunState runState;
    std::unique_ptr<Painter> painter;
};

}  // namespace stylorex
