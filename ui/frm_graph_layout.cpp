#include "ui/frm_graph_layout.h"

#include "canvas/picture_box.h"
#include "common/rounding.h"
#include "painter/drawing_tools.h"
#include "painter/painter.h"
#include "painter/pen.h"
#include "ui/status_panel.h"
#include "ui/viewport_scroll_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QBoxLayout>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>

#include <algorithm>
#include <array>

namespace stylorex {

namespace {

// Design sizes of the window; everything else follows the layout formulas.
constexpr int kClientWidth = 387;
constexpr int kClientHeight = 507;  // below the menu bar, status bar included
constexpr int kStatusBarHeight = 15;
// The second status row: the window is that much taller than its design, and the viewport
// keeps its design height.
constexpr int kStatusRow2Height = 15;
// The painter panel's height, its text box's and the two text buttons' tops below the box; the
// box shrinks where the window is too short for the panel and the bottom panel below it.
constexpr int kPainterPanelHeight = 329;
constexpr int kTextBoxHeight = 121;
constexpr int kSmallestTextBoxHeight = 53;
// The viewport's vertical bar, cut short where the bottom panel comes up to it.
constexpr int kVBarHeight = 313;
constexpr std::array<int, 2> kTextButtonTops = {288, 304};
constexpr int kScrollLargeChange = 120;
constexpr int kScrollSmallChange = 20;

const QColor kLightGrey(0xC0, 0xC0, 0xC0);
const QColor kLighterGrey(0xE0, 0xE0, 0xE0);
const QColor kDarkGrey(0x40, 0x40, 0x40);

// Faces and sizes: the proportional Gothic everywhere unless the design says the fixed-pitch
// one. Sizes are given in pixels, as the design's points come out at 96 dpi, so the layout
// does not depend on the display's resolution.
enum class Face { Proportional, Fixed };
constexpr int kPx975 = 13;  // 9.75 pt
constexpr int kPx9 = 12;    // 9 pt
constexpr int kPx825 = 11;  // 8.25 pt
constexpr int kPx12 = 16;   // 12 pt

QFont uiFont(int pixels = kPx975, bool bold = false, Face face = Face::Proportional) {
    QFont font(face == Face::Fixed ? QStringLiteral("IPAGothic") : QStringLiteral("IPAPGothic"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleHint(face == Face::Fixed ? QFont::Monospace : QFont::SansSerif);
    return font;
}

template <typename Widget>
Widget* place(Widget* widget, const QString& name, int left, int top, int width, int height,
              const QFont& font = uiFont()) {
    widget->setObjectName(name);
    widget->setGeometry(left, top, width, height);
    widget->setFont(font);
    return widget;
}

// Labels show their text at the top, centred only where the design says so.
QLabel* label(QWidget* parent, const QString& name, const QString& text, int left, int top,
              int width, int height = 17, const QFont& font = uiFont(), bool centred = false) {
    auto* l = place(new QLabel(text, parent), name, left, top, width, height, font);
    l->setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    return l;
}

// "処理" is where the user presses Enter with the hand off the mouse: while it has the focus it
// shows so plainly, with a frame two pixels wide in the highlight colour around its face.
class FocusFramedButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        if (!hasFocus()) {
            return;
        }
        QPainter painter(this);
        const QRect inside = rect().adjusted(kFocusFrameWidth, kFocusFrameWidth, -kFocusFrameWidth,
                                             -kFocusFrameWidth);
        painter.setClipRegion(QRegion(rect()).subtracted(inside));
        painter.fillRect(rect(), palette().color(QPalette::Highlight));
    }

  private:
    static constexpr int kFocusFrameWidth = 2;
};

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void fillBackground(QWidget* widget, const QColor& colour) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

void createPainterPanel(QMainWindow& window, MainWindowControls& c) {
    QWidget* f = c.Frame1;
    c.Label8[0] = label(f, arrayName("Label8", 0),
                        QCoreApplication::translate("FrmGraphLayout", "図種"), 8, 16, 33, 25);
    // Two boxes side by side in the panel's width: at 8.25 pt, the size of the window's other
    // small controls, "消しゴム" and "実線" show whole beside the drop-down arrows.
    c.cmbMethod =
        place(new QComboBox(f), QStringLiteral("cmbMethod"), 3, 32, 67, 21, uiFont(kPx825));
    AddToolItems(*c.cmbMethod);
    c.Label9[0] = label(f, arrayName("Label9", 0),
                        QCoreApplication::translate("FrmGraphLayout", "線種"), 69, 16, 33, 17);
    c.cmbDrawStyle =
        place(new QComboBox(f), QStringLiteral("cmbDrawStyle"), 69, 32, 49, 21, uiFont(kPx825));
    AddLineStyleItems(*c.cmbDrawStyle);
    // Nothing is selected until load selects the start-up entries, so that selecting them
    // reaches the painter's selection handlers as a user's choice would.
    c.cmbMethod->setCurrentIndex(-1);
    c.cmbDrawStyle->setCurrentIndex(-1);

    c.Label8[1] = label(f, arrayName("Label8", 1),
                        QCoreApplication::translate("FrmGraphLayout", "太さ"), 48, 56, 25, 17);
    c.FramLine = place(new QFrame(f), QStringLiteral("FramLine"), 8, 72, 49, 17);
    c.FramLine->setFrameShape(QFrame::NoFrame);
    fillBackground(c.FramLine, window.palette().color(QPalette::Window));
    c.LineView = place(new QFrame(c.FramLine), QStringLiteral("LineView"), 0, 0, 49, 17);
    c.LineView->setFrameShape(QFrame::HLine);
    c.LineView->setFrameShadow(QFrame::Plain);
    c.LineView->setLineWidth(1);
    // The painter gives the width bar its range and the sample its tooltip.
    c.DWBar = place(new QScrollBar(Qt::Horizontal, f), QStringLiteral("DWBar"), 56, 72, 57, 17);

    c.Label9[1] =
        label(f, arrayName("Label9", 1), QCoreApplication::translate("FrmGraphLayout", "<文字出力"),
              8, 96, 73, 17, uiFont(kPx975, true));
    c.Label17 = label(f, QStringLiteral("Label17"), QStringLiteral("(x,y)"), 24, 112, 33, 17);
    for (int i = 0; i < 2; ++i) {
        c.txtTextOut[i] = place(new QLineEdit(QStringLiteral("0"), f), arrayName("txtTextOut", i),
                                48 + 32 * i, 112, 33, 18);
    }
    c.Label10 = label(f, QStringLiteral("Label10"),
                      QCoreApplication::translate("FrmGraphLayout", "傾き"), 24, 136, 41, 17);
    c.Label10->setEnabled(false);
    c.txtAngle =
        place(new QLineEdit(QStringLiteral("0"), f), QStringLiteral("txtAngle"), 64, 136, 33, 18);
    c.txtAngle->setEnabled(false);
    c.Label16 = label(f, QStringLiteral("Label16"),
                      QCoreApplication::translate("FrmGraphLayout", "度"), 96, 136, 17, 17);
    c.Label16->setEnabled(false);
    c.cmdfont =
        place(new QPushButton(QCoreApplication::translate("FrmGraphLayout", "フォントの設定"), f),
              QStringLiteral("cmdfont"), 32, 152, 81, 17, uiFont(kPx825));
    c.txtInput = place(new QPlainTextEdit(QStringLiteral("text\n"), f), QStringLiteral("txtInput"),
                       8, 168, 105, kTextBoxHeight);
    c.txtInput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.txtInput->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.txtInput->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on towards "処理", as the instructions on the window promise.
    c.txtInput->setTabChangesFocus(true);
    c.cmdDrawZtxt[0] =
        place(new QPushButton(QCoreApplication::translate("FrmGraphLayout", "普通に描画"), f),
              arrayName("cmdDrawZtxt", 0), 8, kTextButtonTops[0], 105, 17, uiFont(kPx9, true));
    c.cmdDrawZtxt[1] =
        place(new QPushButton(QCoreApplication::translate("FrmGraphLayout", "中抜き描画"), f),
              arrayName("cmdDrawZtxt", 1), 8, kTextButtonTops[1], 105, 20, uiFont(kPx975, true));
}

void createBottomPanel(MainWindowControls& c) {
    QWidget* f = c.Frame2;
    c.cmdClear = place(new QPushButton(QCoreApplication::translate("FrmGraphLayout", "クリア"), f),
                       QStringLiteral("cmdClear"), 200, 0, 49, 17, uiFont(kPx825));
    c.cmdload = place(new QPushButton(QCoreApplication::translate("FrmGraphLayout", "画像読込"), f),
                      QStringLiteral("cmdload"), 248, 0, 57, 17, uiFont(kPx825));
    c.cmdPaste =
        place(new QPushButton(QCoreApplication::translate("FrmGraphLayout", "貼り付け"), f),
              QStringLiteral("cmdPaste"), 304, 0, 49, 17, uiFont(kPx825));
    c.Label15 = label(f, QStringLiteral("Label15"),
                      QCoreApplication::translate("FrmGraphLayout", "定型画像"), 240, 24, 81, 17);
    c.ListFixed =
        place(new QListWidget(f), QStringLiteral("ListFixed"), 240, 40, 57, 98, uiFont(kPx12));
    for (int i = 1; i <= 7; ++i) {
        c.ListFixed->addItem(QString::number(i));
    }
    c.cmdFixedStore =
        place(new QPushButton(QCoreApplication::translate("FrmGraphLayout", "登録"), f),
              QStringLiteral("cmdFixedStore"), 304, 40, 65, 21);
    c.cmdFixedLoad =
        place(new QPushButton(QCoreApplication::translate("FrmGraphLayout", "ロード"), f),
              QStringLiteral("cmdFixedLoad"), 304, 64, 65, 21);

    // Coordinates of five digits ("12345,12345") must show whole in the origin row, which ends at
    // the pattern list: the numbers take the fixed face at 9 pt, whose digits are narrower, and
    // the fields and the live position grow into the room that makes.
    const QFont numbers = uiFont(kPx9, false, Face::Fixed);
    for (int i = 0; i < 2; ++i) {
        QLineEdit* field = place(new QLineEdit(QStringLiteral("**"), f),
                                 i == 0 ? QStringLiteral("txtStartX") : QStringLiteral("txtStartY"),
                                 8 + 40 * i, 72, 41, 18, numbers);
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, kDarkGrey);
        palette.setColor(QPalette::Text, Qt::white);
        field->setPalette(palette);
        QObject::connect(field, &QLineEdit::textChanged, field, &QWidget::setToolTip);
        (i == 0 ? c.txtStartX : c.txtStartY) = field;
    }
    c.lblScreenPoint = label(f, QStringLiteral("lblScreenPoint"), QStringLiteral("Label1"), 168, 72,
                             71, 17, numbers, true);
    c.lblScreenPoint->setFrameShape(QFrame::Box);
    c.lblScreenPoint->setFrameShadow(QFrame::Plain);
    c.lblScreenPoint->setLineWidth(1);

    c.cmdStart =
        place(new FocusFramedButton(QCoreApplication::translate("FrmGraphLayout", "処理"), f),
              QStringLiteral("cmdStart"), 8, 112, 65, 17, uiFont(kPx825, true));
    c.cmdStart->setFocusPolicy(Qt::StrongFocus);
    // Not the default button: Enter starts a run only while the button has the focus.
    c.cmdStart->setAutoDefault(false);
    c.cmdStart->setDefault(false);

    const QFont bold = uiFont(kPx975, true);
    const QFont fixedBold = uiFont(kPx975, true, Face::Fixed);
    c.Label7[0] =
        label(f, arrayName("Label7", 0),
              QCoreApplication::translate("FrmGraphLayout", "描画先ウィンドウを"), 8, 8, 105);
    c.Label7[1] = label(f, arrayName("Label7", 1),
                        QCoreApplication::translate("FrmGraphLayout", "横に並べる"), 112, 8, 73, 17,
                        bold, true);
    c.Label4[0] = label(f, arrayName("Label4", 0),
                        QCoreApplication::translate("FrmGraphLayout", "描画先で"), 8, 24, 57);
    c.Label1 = label(f, QStringLiteral("Label1"),
                     QCoreApplication::translate("FrmGraphLayout", "ペン・ブラシ、色"), 64, 24, 97,
                     17, bold, true);
    c.Label12 =
        label(f, QStringLiteral("Label12"), QCoreApplication::translate("FrmGraphLayout", "を選択"),
              176, 24, 49, 17, uiFont(), true);
    c.Label13 = label(f, QStringLiteral("Label13"),
                      QCoreApplication::translate("FrmGraphLayout", "このウィンドウをアクティブに"),
                      0, 40, 177, 17, uiFont(kPx9, true), true);
    c.Label14 = label(f, QStringLiteral("Label14"),
                      QCoreApplication::translate("FrmGraphLayout", "してから"), 168, 40, 57, 17,
                      uiFont(), true);
    c.Label2[3] = label(f, arrayName("Label2", 3),
                        QCoreApplication::translate("FrmGraphLayout", "出力開始座標"), 8, 56, 89,
                        17, fixedBold);
    c.Label3 =
        label(f, QStringLiteral("Label3"),
              QCoreApplication::translate("FrmGraphLayout", "にマウスを動かし"), 96, 56, 113);
    c.Label2[1] =
        label(f, arrayName("Label2", 1), QStringLiteral("Ctrl+G"), 88, 72, 41, 17, fixedBold, true);
    c.Label2[0] = label(f, arrayName("Label2", 0),
                        QCoreApplication::translate("FrmGraphLayout", "で設定"), 128, 72, 49);
    c.Label4[1] = label(f, arrayName("Label4", 1),
                        QCoreApplication::translate("FrmGraphLayout", "※マウス等から手を離し、"), 8,
                        96, 169, 17, uiFont(kPx9, true));
    c.Label11 =
        label(f, QStringLiteral("Label11"),
              QCoreApplication::translate("FrmGraphLayout", "Ｔａｂキーで"), 152, 96, 73, 17, bold);
    QPalette darkText = c.Label11->palette();
    darkText.setColor(QPalette::WindowText, kDarkGrey);
    c.Label11->setPalette(darkText);
    c.Label5[0] = label(f, arrayName("Label5", 0),
                        QCoreApplication::translate("FrmGraphLayout", "このボタンに移動しエンター"),
                        72, 112, 169, 17, uiFont(), true);
    c.Label6 = label(f, QStringLiteral("Label6"),
                     QCoreApplication::translate("FrmGraphLayout", "(中断する場合はESCキー)"), 72,
                     128, 161, 13, uiFont(kPx825, true));
}

void createControls(QMainWindow& window, MainWindowControls& c) {
    // The client area keeps its absolute layout; the second status row sits under it.
    auto* column = new QWidget(&window);
    column->setObjectName(QStringLiteral("clientColumn"));
    auto* rows = new QVBoxLayout(column);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* central = new QWidget(column);
    central->setObjectName(QStringLiteral("clientArea"));
    rows->addWidget(central, 1);
    c.StatusBar2 = new QWidget(column);
    c.StatusBar2->setObjectName(QStringLiteral("StatusBar2"));
    c.StatusBar2->setFixedHeight(kStatusRow2Height);
    c.StatusBar2->setFont(uiFont(kPx825));
    auto* row = new QHBoxLayout(c.StatusBar2);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    rows->addWidget(c.StatusBar2);
    window.setCentralWidget(column);

    c.FrameG = place(new QFrame(central), QStringLiteral("FrameG"), 0, 0, 249, 321);
    c.FrameG->setFrameShape(QFrame::NoFrame);
    fillBackground(c.FrameG, kLightGrey);

    c.picSRC = place(new PictureBox(c.FrameG), QStringLiteral("picSRC"), 0, 0, 201, 201);
    // The canvas's font is the text tool's, kept in points: its images are 96 dpi.
    QFont canvasFont(QStringLiteral("IPAPGothic"));
    canvasFont.setPointSizeF(9.75);
    canvasFont.setBold(false);
    c.picSRC->setFont(canvasFont);

    c.txtChar = place(new QPlainTextEdit(c.picSRC), QStringLiteral("txtChar"), 176, 264, 145, 41);
    c.txtChar->setFrameShape(QFrame::NoFrame);
    c.txtChar->setHidden(true);

    c.VBar = place(new ViewportScrollBar(Qt::Vertical, central), QStringLiteral("VBar"), 248, 0, 17,
                   kVBarHeight);
    c.HBar = place(new ViewportScrollBar(Qt::Horizontal, central), QStringLiteral("HBar"), 0, 323,
                   193, 17);

    c.Frame1 =
        place(new QGroupBox(QCoreApplication::translate("FrmGraphLayout", "簡易ペインタ"), central),
              QStringLiteral("Frame1"), 264, 0, 120, kPainterPanelHeight, uiFont(kPx975, true));
    fillBackground(c.Frame1, kLighterGrey);
    createPainterPanel(window, c);

    c.Frame2 = place(new QFrame(central), QStringLiteral("Frame2"), 0, 336, 385, 145);
    c.Frame2->setFrameShape(QFrame::NoFrame);
    fillBackground(c.Frame2, kLightGrey);
    createBottomPanel(c);

    c.lblforecol =
        label(central, QStringLiteral("lblforecol"), QStringLiteral("Label8"), 368, 392, 25, 9);
    // The painter gives the swatch its colour.
    c.lblforecol->setHidden(true);
}

void createMenus(QMainWindow& window, MainWindowControls& c) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    bar->setFont(uiFont());
    // Every shortcut is also an action of the window itself, so it works while the window is
    // active whatever the menu bar shows (the last menu's caption is empty).
    auto item = [&window](QMenu* menu, const QString& name, const QString& caption,
                          const QKeySequence& shortcut = {}) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
            window.addAction(action);
        }
        return action;
    };

    c.mnu_menu1 = bar->addMenu(QCoreApplication::translate("FrmGraphLayout", "元絵(&M)"));
    c.mnu_menu1->setObjectName(QStringLiteral("mnu_menu1"));
    c.mnu_m[1] = item(c.mnu_menu1, arrayName("mnu_m", 1),
                      QCoreApplication::translate("FrmGraphLayout", "ファイルから読込"),
                      QKeySequence(Qt::CTRL | Qt::Key_O));
    c.mnu_m[2] = item(c.mnu_menu1, arrayName("mnu_m", 2),
                      QCoreApplication::translate("FrmGraphLayout", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼り付け"),
                      QKeySequence(Qt::CTRL | Qt::Key_V));
    c.mnu_m[3] = item(c.mnu_menu1, arrayName("mnu_m", 3),
                      QCoreApplication::translate("FrmGraphLayout", "クリア"),
                      QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    c.mnu_menu1->addSeparator();
    c.mnu_fitLoad = item(c.mnu_menu1, QStringLiteral("mnu_fitLoad"),
                         QCoreApplication::translate("FrmGraphLayout", "画像に合わせて読み込む"));
    c.mnu_pickArea = item(c.mnu_menu1, QStringLiteral("mnu_pickArea"),
                          QCoreApplication::translate("FrmGraphLayout", "描画範囲を選ぶ"),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
    c.mnu_smooth =
        item(c.mnu_menu1, QStringLiteral("mnu_smooth"),
             QCoreApplication::translate("FrmGraphLayout", "なめらかに拡大縮小（写真向け）"));
    c.mnu_smooth->setCheckable(true);
    c.mnu_menu1->addSeparator();
    c.mnu_undo = item(c.mnu_menu1, QStringLiteral("mnu_undo"),
                      QCoreApplication::translate("FrmGraphLayout", "元に戻す"),
                      QKeySequence(Qt::CTRL | Qt::Key_Z));
    c.mnu_redo = item(c.mnu_menu1, QStringLiteral("mnu_redo"),
                      QCoreApplication::translate("FrmGraphLayout", "やり直し"),
                      QKeySequence(Qt::CTRL | Qt::Key_Y));
    c.mnu_menu1->addSeparator();
    c.mnu_saveAs = item(c.mnu_menu1, QStringLiteral("mnu_saveAs"),
                        QCoreApplication::translate("FrmGraphLayout", "名前を付けて保存"),
                        QKeySequence(Qt::CTRL | Qt::Key_S));
    c.mnu_menu1->addSeparator();
    c.mnu_resume = item(c.mnu_menu1, QStringLiteral("mnu_resume"),
                        QCoreApplication::translate("FrmGraphLayout", "続きを描く"),
                        QKeySequence(Qt::CTRL | Qt::Key_R));
    c.mnu_resume->setEnabled(false);
    c.mnu_preview = item(c.mnu_menu1, QStringLiteral("mnu_preview"),
                         QCoreApplication::translate("FrmGraphLayout", "抽出プレビュー"));
    c.mnu_preview->setCheckable(true);

    c.mnu_setting = bar->addMenu(QCoreApplication::translate("FrmGraphLayout", "設定(&S)"));
    c.mnu_setting->setObjectName(QStringLiteral("mnu_setting"));
    c.mnu_s[0] = item(c.mnu_setting, arrayName("mnu_s", 0),
                      QCoreApplication::translate("FrmGraphLayout", "線の抽出設定(S)"));
    c.mnu_s1Menu =
        c.mnu_setting->addMenu(QCoreApplication::translate("FrmGraphLayout", "描画ウェイト(&W)"));
    c.mnu_s1Menu->setObjectName(QStringLiteral("mnu_s1Menu"));
    c.mnu_s[1] = c.mnu_s1Menu->menuAction();
    c.mnu_s[1]->setObjectName(arrayName("mnu_s", 1));
    c.mnu_can = c.mnu_setting->addMenu(QCoreApplication::translate("FrmGraphLayout", "ｷｬﾝﾊﾞｽｻｲｽﾞ"));
    c.mnu_can->setObjectName(QStringLiteral("mnu_can"));
    const QStringList sizes = {QStringLiteral("200*200"), QStringLiteral("300*300"),
                               QCoreApplication::translate("FrmGraphLayout", "460*600(最大)"),
                               QCoreApplication::translate("FrmGraphLayout", "カスタム")};
    for (int i = 0; i < sizes.size(); ++i) {
        c.mnu_canvas[i] = item(c.mnu_can, arrayName("mnu_canvas", i), sizes[i]);
    }
    c.mnu_followTarget =
        item(c.mnu_setting, QStringLiteral("mnu_followTarget"),
             QCoreApplication::translate("FrmGraphLayout", "描画を確かめながら進む"));
    c.mnu_followTarget->setCheckable(true);
    c.mnu_joinRuns = item(c.mnu_setting, QStringLiteral("mnu_joinRuns"),
                          QCoreApplication::translate("FrmGraphLayout", "直線をまとめて動かす"));
    c.mnu_joinRuns->setCheckable(true);
    c.mnu_palette = item(c.mnu_setting, QStringLiteral("mnu_palette"),
                         QCoreApplication::translate("FrmGraphLayout", "パレット(&P)..."));
    // Each language by its own name, whichever the window speaks.
    c.mnu_language =
        c.mnu_setting->addMenu(QCoreApplication::translate("FrmGraphLayout", "言語 / Language"));
    c.mnu_language->setObjectName(QStringLiteral("mnu_language"));
    auto* languages = new QActionGroup(c.mnu_language);
    c.mnu_japanese = item(c.mnu_language, QStringLiteral("mnu_japanese"), QStringLiteral("日本語"));
    c.mnu_english = item(c.mnu_language, QStringLiteral("mnu_english"), QStringLiteral("English"));
    for (QAction* language : {c.mnu_japanese, c.mnu_english}) {
        language->setCheckable(true);
        languages->addAction(language);
    }

    c.mnu_version = bar->addAction(QCoreApplication::translate("FrmGraphLayout", "Version(&V)"));
    c.mnu_version->setObjectName(QStringLiteral("mnu_version"));

    c.mnu_men = bar->addMenu(QString());
    c.mnu_men->setObjectName(QStringLiteral("mnu_men"));
    c.mnu_getpt = item(c.mnu_men, QStringLiteral("mnu_getpt"),
                       QCoreApplication::translate("FrmGraphLayout", "座標取得"),
                       QKeySequence(Qt::CTRL | Qt::Key_G));
    c.mnu_work = item(c.mnu_men, QStringLiteral("mnu_work"),
                      QCoreApplication::translate("FrmGraphLayout", "画像リフレッシュ"));
}

void createStatusBar(QMainWindow& window, MainWindowControls& c) {
    c.StatusBar1 = new QStatusBar(&window);
    c.StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    c.StatusBar1->setFont(uiFont(kPx825));
    c.StatusBar1->setFixedHeight(kStatusBarHeight);
    c.StatusBar1->setSizeGripEnabled(false);
    c.StatusBar1->setContentsMargins(0, 0, 0, 0);
    // The design's widths were 93, 67, 93 and 96, too narrow in these faces for the extraction
    // mode "抽出モード:255以下" and a stroke count of five digits; the canvas size panel gives up
    // what it does not need for "canvas:480*600".
    const int widths[] = {101, 67, 106, 89};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new StatusPanel(c.StatusBar1);
        panel->setObjectName(QStringLiteral("StatusBar1_panel%1").arg(i + 1));
        panel->setFont(uiFont(kPx825));
        panel->setFixedSize(widths[i], kStatusBarHeight);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(2, 0, 0, 0);
        c.StatusBar1->addWidget(panel);
        c.panels[i] = panel;
    }
    window.setStatusBar(c.StatusBar1);
    // The check of the last run, last in the second row (after the plan and the progress the
    // window adds, 3 : 3 : 4, as its reasons are the longest texts): a share of the row's width,
    // so that it never widens the window; its tool tip holds the whole text.
    auto* check = new StatusPanel(c.StatusBar2);
    check->setObjectName(QStringLiteral("StatusBar1_panel5"));
    check->setFont(uiFont(kPx825));
    check->setFixedHeight(kStatusRow2Height);
    check->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    check->setFrameShape(QFrame::Panel);
    check->setFrameShadow(QFrame::Sunken);
    check->setContentsMargins(2, 0, 0, 0);
    static_cast<QHBoxLayout*>(c.StatusBar2->layout())->addWidget(check, 4);
    c.panels[4] = check;
}

}  // namespace

void BuildMainWindowControls(QMainWindow& window, MainWindowControls& c) {
    window.setFont(uiFont());
    createControls(window, c);
    createMenus(window, c);
    createStatusBar(window, c);
    window.resize(kClientWidth,
                  window.menuBar()->sizeHint().height() + kClientHeight + kStatusRow2Height);
}

void UpdateScrollRanges(MainWindowControls& c) {
    c.HBar->setSignedMaximum(RoundHalfEven(c.FrameG->width() - c.picSRC->width()));
    c.VBar->setSignedMaximum(RoundHalfEven(c.FrameG->height() - c.picSRC->height()));
    for (ViewportScrollBar* bar : {c.HBar, c.VBar}) {
        bar->setPageStep(kScrollLargeChange);
        bar->setSingleStep(kScrollSmallChange);
    }
}

void LayOutMainWindow(MainWindowControls& c, QSize outerSize) {
    const int height = outerSize.height();
    const int width = outerSize.width();
    // The factors are those of the original layout: four scroll-bar heights and 1.05 painter
    // panel widths. A window too small for them gets an empty viewport rather than a negative one.
    const int viewportHeight = std::max(0, height - (kStatusBarHeight + kStatusRow2Height +
                                                     4 * c.HBar->height() + c.Frame2->height()));
    const int viewportWidth =
        std::max(0, RoundHalfEven(width - c.VBar->width() - 1.05 * c.Frame1->width()));
    c.FrameG->resize(viewportWidth, viewportHeight);
    c.VBar->move(viewportWidth, c.VBar->y());
    c.HBar->move(c.HBar->x(), viewportHeight);
    c.Frame1->move(c.VBar->x() + c.VBar->width(), c.Frame1->y());
    // The formulas count a caption bar in the outer height, so without one (or with a thin one)
    // they bring the bottom panel up into the painter panel, over "画像読込" and "貼り付け". The
    // bottom panel goes down to the painter panel's bottom as far as the client area has room;
    // where it has not (a small screen at Qt's scale), the painter's text box gives up the rest.
    const int clientHeight = c.Frame2->parentWidget()->height();
    const int formulaTop = c.HBar->y() + c.HBar->height();
    // Shorter still, the bottom panel's foot leaves the window: the two never overlap.
    constexpr int kMostShrink = kTextBoxHeight - kSmallestTextBoxHeight;
    const int frame2Top =
        std::max({formulaTop, kPainterPanelHeight - kMostShrink,
                  std::min(kPainterPanelHeight, clientHeight - c.Frame2->height())});
    c.Frame2->move(c.Frame2->x(), frame2Top);
    c.VBar->resize(c.VBar->width(), std::min(kVBarHeight, frame2Top));
    const int shrink = std::clamp(kPainterPanelHeight - frame2Top, 0, kMostShrink);
    c.Frame1->resize(c.Frame1->width(), kPainterPanelHeight - shrink);
    c.txtInput->resize(c.txtInput->width(), kTextBoxHeight - shrink);
    for (int i = 0; i < 2; ++i) {
        c.cmdDrawZtxt[i]->move(c.cmdDrawZtxt[i]->x(), kTextButtonTops[i] - shrink);
    }
    UpdateScrollRanges(c);
}

PainterControls PainterControlsOf(const MainWindowControls& controls) {
    PainterControls painter;
    painter.picSRC = controls.picSRC;
    painter.cmbMethod = controls.cmbMethod;
    painter.cmbDrawStyle = controls.cmbDrawStyle;
    painter.DWBar = controls.DWBar;
    painter.FramLine = controls.FramLine;
    painter.LineView = controls.LineView;
    painter.lblforecol = controls.lblforecol;
    painter.txtChar = controls.txtChar;
    painter.txtInput = controls.txtInput;
    painter.txtTextOut[0] = controls.txtTextOut[0];
    painter.txtTextOut[1] = controls.txtTextOut[1];
    painter.txtAngle = controls.txtAngle;
    painter.cmdfont = controls.cmdfont;
    painter.cmdDrawZtxt[0] = controls.cmdDrawZtxt[0];
    painter.cmdDrawZtxt[1] = controls.cmdDrawZtxt[1];
    painter.mnu_menu1 = controls.mnu_menu1;
    return painter;
}

}  // namespace stylorex
