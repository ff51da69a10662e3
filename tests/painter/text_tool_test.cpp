#include "painter/text_tool.h"
#include "painter/canvas_drawing.h"
#include "painter_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QFontMetrics>
#include <QTest>

namespace stylorex {
namespace {

class TextTool_ : public PainterFixture {
  protected:
    void SetUp() override {
        PainterFixture::SetUp();
        host->show();
        QApplication::setActiveWindow(host.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    }

    // The text printed by itself on a fresh picture of the same font, for comparison.
    QImage printedAlone(const QString& text, int x, int y) {
        PictureBox reference;
        reference.setCanvasSize(pic->ScaleWidth(), pic->ScaleHeight());
        reference.setFont(pic->font());
        reference.setCurrentX(x);
        reference.setCurrentY(y);
        PrintText(reference, text);
        return reference.persistentImage();
    }

    void openBoxAndType(QPointF at, const QString& text) {
        selectTool(kToolText);
        click(at);
        ASSERT_TRUE(painter->text().charBoxShown());
        QTest::keyClicks(c.txtChar, text);
    }

    int lineHeight() const { return QFontMetrics(CanvasFont(*pic)).height(); }
};

TEST_F(TextTool_, ClickOpensAnEmptyFocusedBoxInThePictureFont) {
    selectTool(kToolText);
    c.txtChar->setPlainText(QStringLiteral("old"));
    click(QPointF(30.5, 40));
    EXPECT_FALSE(c.txtChar->isHidden());
    EXPECT_TRUE(c.txtChar->hasFocus());
    EXPECT_TRUE(c.txtChar->toPlainText().isEmpty());
    EXPECT_EQ(c.txtChar->pos(), QPoint(30, 40));
    EXPECT_EQ(painter->text().CharX(), 30);
    EXPECT_EQ(painter->text().CharY(), 40);
    EXPECT_EQ(c.txtChar->font().family(), pic->font().family());
    EXPECT_EQ(c.txtChar->font().pointSize(), pic->font().pointSize());
    EXPECT_EQ(CountNotWhite(persistent()), 0);
}

TEST_F(TextTool_, EnterDrawsTheTextAtTheClickInBlack) {
    openBoxAndType(QPointF(30, 40), QStringLiteral("AbC"));
    QTest::keyClick(c.txtChar, Qt::Key_Return);
    EXPECT_TRUE(c.txtChar->isHidden());
    EXPECT_TRUE(SameImage(persistent(), printedAlone(QStringLiteral("AbC"), 30, 40)));
    const QRect bounds = BlackBounds(persistent());
    EXPECT_GE(bounds.left(), 30);
    EXPECT_LE(bounds.left(), 33);
    EXPECT_GE(bounds.top(), 40);
    EXPECT_LT(bounds.bottom(), 40 + lineHeight());
    EXPECT_EQ(CountPixels(persistent(), IsBlack), CountNotWhite(persistent()));
    EXPECT_FALSE(pic->AutoRedraw());
    EXPECT_TRUE(SameImage(screen(), persistent()));
}

TEST_F(TextTool_, ShiftEnterCommitsToo) {
    openBoxAndType(QPointF(30, 40), QStringLiteral("x"));
    QTest::keyClick(c.txtChar, Qt::Key_Enter, Qt::ShiftModifier);
    EXPECT_TRUE(c.txtChar->isHidden());
    EXPECT_GT(CountNotWhite(persistent()), 0);
}

TEST_F(TextTool_, EscHidesTheBoxWithoutDrawing) {
    openBoxAndType(QPointF(30, 40), QStringLiteral("AbC"));
    QTest::keyClick(c.txtChar, Qt::Key_Escape);
    EXPECT_TRUE(c.txtChar->isHidden());
    EXPECT_FALSE(painter->text().charBoxShown());
    EXPECT_EQ(CountNotWhite(persistent()), 0);
    EXPECT_EQ(CountNotWhite(screen()), 0);
}

TEST_F(TextTool_, FocusMovingToAnotherControlDrawsTheTextOnce) {
    openBoxAndType(QPointF(30, 40), QStringLiteral("AbC"));
    ASSERT_TRUE(c.txtChar->hasFocus());
    c.txtInput->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(c.txtChar->isHidden());
    EXPECT_TRUE(SameImage(persistent(), printedAlone(QStringLiteral("AbC"), 30, 40)));

    // Once committed, nothing further is drawn: not by a second focus change, nor by Enter.
    pic->setAutoRedraw(true);
    pic->Cls();
    c.txtChar->setFocus();
    c.txtInput->setFocus();
    EXPECT_EQ(CountNotWhite(persistent()), 0);
}

TEST_F(TextTool_, PopupTakingTheFocusDoesNotCommit) {
    openBoxAndType(QPointF(30, 40), QStringLiteral("AbC"));
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(c.txtChar, &popup);
    EXPECT_TRUE(painter->text().charBoxShown());
    EXPECT_EQ(CountNotWhite(persistent()), 0);
}

TEST_F(TextTool_, SecondClickDrawsTheFirstTextAndOpensANewEmptyBox) {
    openBoxAndType(QPointF(30, 40), QStringLiteral("AbC"));
    press(QPointF(100, 120));
    EXPECT_TRUE(SameImage(persistent(), printedAlone(QStringLiteral("AbC"), 30, 40)));
    release(QPointF(100, 120));
    EXPECT_FALSE(c.txtChar->isHidden());
    EXPECT_TRUE(c.txtChar->toPlainText().isEmpty());
    EXPECT_EQ(c.txtChar->pos(), QPoint(100, 120));
    EXPECT_EQ(painter->text().CharX(), 100);
    EXPECT_EQ(painter->text().CharY(), 120);
    EXPECT_TRUE(SameImage(persistent(), printedAlone(QStringLiteral("AbC"), 30, 40)));
}

TEST_F(TextTool_, NormalTextContinuesOnTheNextLineAtTheLeftEdge) {
    c.txtInput->setPlainText(QStringLiteral("AB\nCD"));
    c.txtTextOut[0]->setText(QStringLiteral("50"));
    c.txtTextOut[1]->setText(QStringLiteral("60"));
    pic->setAutoRedraw(false);
    c.cmdDrawZtxt[0]->click();
    EXPECT_TRUE(pic->AutoRedraw());  // left on
    const int h = lineHeight();
    const QRect first = BlackBounds(persistent().copy(0, 60, 200, h));
    const QRect second = BlackBounds(persistent().copy(0, 60 + h, 200, h));
    EXPECT_GE(first.left(), 50);
    EXPECT_LE(first.left(), 53);
    EXPECT_GE(second.left(), 0);
    EXPECT_LE(second.left(), 3);
    EXPECT_EQ(CountNotWhite(persistent(), QRect(0, 0, 200, 60)), 0);
    EXPECT_EQ(CountNotWhite(persistent(), QRect(0, 60 + 2 * h, 200, 200)), 0);
    EXPECT_TRUE(SameImage(screen(), persistent()));
}

TEST_F(TextTool_, OutlineTextIsStrokedWithTheWholePenAndHollow) {
    QFont big = pic->font();
    big.setPointSize(48);
    pic->setFont(big);
    c.txtInput->setPlainText(QStringLiteral("■"));
    c.txtTextOut[0]->setText(QStringLiteral("20"));
    c.txtTextOut[1]->setText(QStringLiteral("20"));
    c.cmdDrawZtxt[0]->click();
    const QRect filled = BlackBounds(persistent());
    ASSERT_GT(filled.width(), 30);
    EXPECT_TRUE(pixelIs(persistent(), filled.center().x(), filled.center().y(), Qt::black));

    pic->Cls();
    setWidth(3);
    c.cmdDrawZtxt[1]->click();
    const QImage& image = persistent();
    const QRect outline = BlackBounds(image);
    EXPECT_NEAR(outline.center().x(), filled.center().x(), 1);
    EXPECT_NEAR(outline.center().y(), filled.center().y(), 1);
    EXPECT_TRUE(pixelIs(image, outline.center().x(), outline.center().y(), Qt::white));
    // Across the middle: a 3-pixel stroke on each side, white between.
    const int y = outline.center().y();
    int runs = 0;
    int x = outline.left();
    while (x <= outline.right()) {
        if (!IsBlack(image.pixel(x, y))) {
            ++x;
            continue;
        }
        int length = 0;
        while (x <= outline.right() && IsBlack(image.pixel(x, y))) {
            ++length;
            ++x;
        }
        EXPECT_EQ(length, 3);
        ++runs;
    }
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(CountPixels(image, IsBlack), CountNotWhite(image));
}

TEST_F(TextTool_, BadTiltIsReportedAndNothingDrawn) {
    c.txtInput->setPlainText(QStringLiteral("AB"));
    for (const char* tilt : {"361", "-1", "abc", ""}) {
        c.txtAngle->setText(QString::fromUtf8(tilt));
        c.cmdDrawZtxt[0]->click();
        c.cmdDrawZtxt[1]->click();
    }
    EXPECT_EQ(dialogs.messages.size(), 8u);
    EXPECT_EQ(dialogs.messageTexts().count(QStringLiteral("傾きが不正です(0-360)")), 8);
    EXPECT_EQ(CountNotWhite(persistent()), 0);

    c.txtAngle->setText(QStringLiteral("360"));
    c.cmdDrawZtxt[0]->click();
    EXPECT_EQ(dialogs.messages.size(), 8u);
    EXPECT_GT(CountNotWhite(persistent()), 0);
}

TEST_F(TextTool_, CoordinateNotAWholeSixteenBitNumberIsReportedAndNothingDrawn) {
    c.txtInput->setPlainText(QStringLiteral("AB"));
    for (const char* bad : {"", "x1", "1.5", "32768", "-40000"}) {
        c.txtTextOut[0]->setText(QString::fromUtf8(bad));
        c.txtTextOut[1]->setText(QStringLiteral("10"));
        c.cmdDrawZtxt[0]->click();
        c.txtTextOut[0]->setText(QStringLiteral("10"));
        c.txtTextOut[1]->setText(QString::fromUtf8(bad));
        c.cmdDrawZtxt[1]->click();
    }
    EXPECT_EQ(dialogs.messages.size(), 10u);
    EXPECT_EQ(dialogs.messageTexts().count(QStringLiteral("座標が不正です")), 10);
    EXPECT_EQ(CountNotWhite(persistent()), 0);

    // Outside the picture is not an error: the text is clipped.
    c.txtTextOut[0]->setText(QStringLiteral("-5"));
    c.txtTextOut[1]->setText(QStringLiteral("190"));
    c.cmdDrawZtxt[0]->click();
    EXPECT_EQ(dialogs.messages.size(), 10u);
    EXPECT_GT(CountNotWhite(persistent()), 0);
}

TEST_F(TextTool_, CancelledFontDialogChangesNothing) {
    QFont offered;
    painter->setFontChooser([&offered](const QFont& current, QWidget*) -> std::optional<QFont> {
        offered = current;
        return std::nullopt;
    });
    const QFont pictureFont = pic->font();
    const QFont inputFont = c.txtInput->font();
    c.cmdfont->click();
    EXPECT_EQ(offered.family(), pictureFont.family());
    EXPECT_EQ(offered.pointSize(), 12);
    EXPECT_EQ(pic->font(), pictureFont);
    EXPECT_EQ(c.txtInput->font(), inputFont);
}

TEST_F(TextTool_, ChosenFontGoesToPictureAndInputBoxAndTheNextEntryBox) {
    QFont chosen(QStringLiteral("IPAPGothic"));
    chosen.setPointSize(20);
    chosen.setBold(true);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    chosen.setStrikeOut(true);
    painter->setFontChooser([&chosen](const QFont&, QWidget*) { return chosen; });
    c.cmdfont->click();
    for (const QFont& font : {pic->font(), c.txtInput->font()}) {
        EXPECT_EQ(font.family(), QStringLiteral("IPAPGothic"));
        EXPECT_EQ(font.pointSize(), 20);
        EXPECT_TRUE(font.bold());
        EXPECT_TRUE(font.italic());
        EXPECT_TRUE(font.underline());
        EXPECT_TRUE(font.strikeOut());
    }
    selectTool(kToolText);
    click(QPointF(10, 10));
    EXPECT_EQ(c.txtChar->font().family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(c.txtChar->font().pointSize(), 20);
    EXPECT_TRUE(c.txtChar->font().bold());
}

TEST_F(TextTool_, CtrlVReplacesTheWholeInputWithTheClipboardText) {
    c.txtInput->setPlainText(QStringLiteral("first line\nsecond line"));
    c.txtInput->setFocus();
    // The window's picture paste must not take the key from the text box.
    QAction picturePaste(host.get());
    picturePaste.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    host->addAction(&picturePaste);
    int picturePastes = 0;
    QObject::connect(&picturePaste, &QAction::triggered, [&picturePastes] { ++picturePastes; });
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClick(c.txtInput, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(c.txtInput->toPlainText(), QStringLiteral("pasted"));
    QTest::keyClick(c.txtInput, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(c.txtInput->toPlainText(), QStringLiteral("pasted"));

    // A picture on the clipboard is never pasted; the content becomes the (empty) clipboard
    // text, and Undo brings the old text back.
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    QApplication::clipboard()->setImage(image);
    QTest::keyClick(c.txtInput, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(c.txtInput->toPlainText().isEmpty());
    c.txtInput->undo();
    EXPECT_EQ(c.txtInput->toPlainText(), QStringLiteral("pasted"));
    EXPECT_EQ(picturePastes, 0);
}

}  // namespace
}  // namespace stylorex
