#include "ui/frm_graph.h"

#include "canvas/picture_box.h"
#include "common/rounding.h"
#include "engine/drawing_run.h"
#include "engine/origin_capture.h"
#include "os/pointer_device.h"
#include "painter/drawing_tools.h"
#include "painter/pen.h"
#include "patterns/pattern_library.h"
#include "ui/dlg_setting.h"
#include "ui/frm_about.h"
#include "ui/picture_commands.h"
#include "ui/program_icon.h"
#include "ui/qt_user_dialogs.h"
#include "ui/viewport_scroll_bar.h"
#include "ui/wait_menu.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <exception>

namespace stylorex {

namespace {

// Design sizes of the window; everything else follows the layout formulas.
constexpr int kClientWidth = 387;
constexpr int kClientHeight = 507;  // below the menu bar, status bar included
constexpr int kStatusBarHeight = 15;
constexpr int kScrollLargeChange = 120;
constexpr int kScrollSmallChange = 20;
constexpr int kTimerIntervalMs = 100;
constexpr std::int16_t kDefaultCanvasSide = 200;
// Larger canvases than this come only from a damaged settings file; three images of 32767
// pixels square would not fit in memory.
constexpr std::int16_t kLargestCanvasSide = 4096;

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

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void fillBackground(QWidget* widget, const QColor& colour) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

}  // namespace

frmGraph::frmGraph(PointerDevice& pointer, UserDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), pointer_(pointer) {
    if (dialogs == nullptr) {
        ownDialogs_ = std::make_unique<QtUserDialogs>(this);
        dialogs = ownDialogs_.get();
    }
    dialogs_ = dialogs;

    setObjectName(QStringLiteral("frmGraph"));
    setWindowTitle(QStringLiteral("Stylorex"));
    setWindowIcon(ProgramIcon());
    setFont(uiFont());
    createControls();
    createMenus();
    createStatusBar();
    resize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &frmGraph::timerTick);
    Timer1->start();

    painter_ = std::make_unique<Painter>(painterControls());
    connect(&runState_, &RunState::inProgressChanged, this, &frmGraph::showRunInProgress);
}

void frmGraph::showRunInProgress(bool running) {
    for (QAction* action : {mnu_m[1], mnu_m[2], mnu_m[3], mnu_s[0], mnu_canvas[0], mnu_canvas[1],
                            mnu_canvas[2], mnu_canvas[3], mnu_version, mnu_work}) {
        action->setEnabled(!running);
    }
    // "処理" stays enabled, refused by startCommand instead: it holds the keyboard focus during
    // the run it started, and a disabled button would pass the focus on, away from where the
    // user presses Enter for the next run.
    for (QPushButton* button : {cmdClear, cmdload, cmdPaste, cmdFixedStore, cmdFixedLoad,
                                cmdDrawZtxt[0], cmdDrawZtxt[1]}) {
        button->setEnabled(!running);
    }
}

frmGraph::~frmGraph() = default;

QString frmGraph::settingsPath() const {
    return settingsPath_.isEmpty() ? SettingsFilePath() : settingsPath_;
}

void frmGraph::createControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(central);

    FrameG = place(new QFrame(central), QStringLiteral("FrameG"), 0, 0, 249, 321);
    FrameG->setFrameShape(QFrame::NoFrame);
    fillBackground(FrameG, kLightGrey);

    picSRC = place(new PictureBox(FrameG), QStringLiteral("picSRC"), 0, 0, 201, 201);
    // The canvas's font is the text tool's, kept in points: its images are 96 dpi.
    QFont canvasFont(QStringLiteral("IPAPGothic"));
    canvasFont.setPointSizeF(9.75);
    canvasFont.setBold(false);
    picSRC->setFont(canvasFont);

    txtChar = place(new QPlainTextEdit(picSRC), QStringLiteral("txtChar"), 176, 264, 145, 41);
    txtChar->setFrameShape(QFrame::NoFrame);
    txtChar->setHidden(true);

    VBar = place(new ViewportScrollBar(Qt::Vertical, central), QStringLiteral("VBar"), 248, 0, 17,
                 313);
    HBar = place(new ViewportScrollBar(Qt::Horizontal, central), QStringLiteral("HBar"), 0, 323,
                 193, 17);
    connect(HBar, &ViewportScrollBar::signedValueChanged, this,
            [this](int value) { picSRC->move(value, picSRC->y()); });
    connect(VBar, &ViewportScrollBar::signedValueChanged, this,
            [this](int value) { picSRC->move(picSRC->x(), value); });

    Frame1 = place(new QGroupBox(QStringLiteral("簡易ペインタ"), central), QStringLiteral("Frame1"),
                   264, 0, 120, 329, uiFont(kPx975, true));
    fillBackground(Frame1, kLighterGrey);
    createPainterPanel();

    Frame2 = place(new QFrame(central), QStringLiteral("Frame2"), 0, 336, 385, 145);
    Frame2->setFrameShape(QFrame::NoFrame);
    fillBackground(Frame2, kLightGrey);
    createBottomPanel();

    lblforecol =
        label(central, QStringLiteral("lblforecol"), QStringLiteral("Label8"), 368, 392, 25, 9);
    // The painter gives the swatch its colour.
    lblforecol->setHidden(true);
}

void frmGraph::createPainterPanel() {
    QWidget* f = Frame1;
    Label8[0] = label(f, arrayName("Label8", 0), QStringLiteral("図種"), 8, 16, 33, 25);
    cmbMethod = place(new QComboBox(f), QStringLiteral("cmbMethod"), 8, 32, 57, 21);
    AddToolItems(*cmbMethod);
    Label9[0] = label(f, arrayName("Label9", 0), QStringLiteral("線種"), 64, 16, 33, 17);
    cmbDrawStyle = place(new QComboBox(f), QStringLiteral("cmbDrawStyle"), 64, 32, 49, 21);
    AddLineStyleItems(*cmbDrawStyle);
    // Nothing is selected until load selects the start-up entries, so that selecting them
    // reaches the painter's selection handlers as a user's choice would.
    cmbMethod->setCurrentIndex(-1);
    cmbDrawStyle->setCurrentIndex(-1);

    Label8[1] = label(f, arrayName("Label8", 1), QStringLiteral("太さ"), 48, 56, 25, 17);
    FramLine = place(new QFrame(f), QStringLiteral("FramLine"), 8, 72, 49, 17);
    FramLine->setFrameShape(QFrame::NoFrame);
    fillBackground(FramLine, palette().color(QPalette::Window));
    LineView = place(new QFrame(FramLine), QStringLiteral("LineView"), 0, 0, 49, 17);
    LineView->setFrameShape(QFrame::HLine);
    LineView->setFrameShadow(QFrame::Plain);
    LineView->setLineWidth(1);
    // The painter gives the width bar its range and the sample its tooltip.
    DWBar = place(new QScrollBar(Qt::Horizontal, f), QStringLiteral("DWBar"), 56, 72, 57, 17);

    Label9[1] = label(f, arrayName("Label9", 1), QStringLiteral("<文字出力"), 8, 96, 73, 17,
                      uiFont(kPx975, true));
    Label17 = label(f, QStringLiteral("Label17"), QStringLiteral("(x,y)"), 24, 112, 33, 17);
    for (int i = 0; i < 2; ++i) {
        txtTextOut[i] = place(new QLineEdit(QStringLiteral("0"), f), arrayName("txtTextOut", i),
                              48 + 32 * i, 112, 33, 18);
    }
    Label10 = label(f, QStringLiteral("Label10"), QStringLiteral("傾き"), 24, 136, 41, 17);
    Label10->setEnabled(false);
    txtAngle =
        place(new QLineEdit(QStringLiteral("0"), f), QStringLiteral("txtAngle"), 64, 136, 33, 18);
    txtAngle->setEnabled(false);
    Label16 = label(f, QStringLiteral("Label16"), QStringLiteral("度"), 96, 136, 17, 17);
    Label16->setEnabled(false);
    cmdfont = place(new QPushButton(QStringLiteral("フォントの設定"), f), QStringLiteral("cmdfont"),
                    32, 152, 81, 17, uiFont(kPx825));
    txtInput = place(new QPlainTextEdit(QStringLiteral("text\n"), f), QStringLiteral("txtInput"), 8,
                     168, 105, 121);
    txtInput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtInput->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtInput->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on towards "処理", as the instructions on the window promise.
    txtInput->setTabChangesFocus(true);
    cmdDrawZtxt[0] = place(new QPushButton(QStringLiteral("普通に描画"), f),
                           arrayName("cmdDrawZtxt", 0), 8, 288, 105, 17, uiFont(kPx9, true));
    cmdDrawZtxt[1] = place(new QPushButton(QStringLiteral("中抜き描画"), f),
                           arrayName("cmdDrawZtxt", 1), 8, 304, 105, 20, uiFont(kPx975, true));
}

void frmGraph::createBottomPanel() {
    QWidget* f = Frame2;
    cmdClear = place(new QPushButton(QStringLiteral("クリア"), f), QStringLiteral("cmdClear"), 200,
                     0, 49, 17, uiFont(kPx825));
    cmdload = place(new QPushButton(QStringLiteral("画像読込"), f), QStringLiteral("cmdload"), 248,
                    0, 57, 17, uiFont(kPx825));
    cmdPaste = place(new QPushButton(QStringLiteral("貼り付け"), f), QStringLiteral("cmdPaste"),
                     304, 0, 49, 17, uiFont(kPx825));
    Label15 = label(f, QStringLiteral("Label15"), QStringLiteral("定型画像"), 240, 24, 81, 17);
    ListFixed =
        place(new QListWidget(f), QStringLiteral("ListFixed"), 240, 40, 57, 98, uiFont(kPx12));
    for (int i = 1; i <= 7; ++i) {
        ListFixed->addItem(QString::number(i));
    }
    cmdFixedStore = place(new QPushButton(QStringLiteral("登録"), f),
                          QStringLiteral("cmdFixedStore"), 304, 40, 65, 21);
    cmdFixedLoad = place(new QPushButton(QStringLiteral("ロード"), f),
                         QStringLiteral("cmdFixedLoad"), 304, 64, 65, 21);

    for (int i = 0; i < 2; ++i) {
        QLineEdit* field = place(new QLineEdit(QStringLiteral("**"), f),
                                 i == 0 ? QStringLiteral("txtStartX") : QStringLiteral("txtStartY"),
                                 8 + 32 * i, 72, 33, 18);
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, kDarkGrey);
        palette.setColor(QPalette::Text, Qt::white);
        field->setPalette(palette);
        (i == 0 ? txtStartX : txtStartY) = field;
    }
    lblScreenPoint = label(f, QStringLiteral("lblScreenPoint"), QStringLiteral("Label1"), 168, 72,
                           49, 17, uiFont(), true);
    lblScreenPoint->setFrameShape(QFrame::Box);
    lblScreenPoint->setFrameShadow(QFrame::Plain);
    lblScreenPoint->setLineWidth(1);

    cmdStart = place(new QPushButton(QStringLiteral("処理"), f), QStringLiteral("cmdStart"), 8, 112,
                     65, 17, uiFont(kPx825, true));
    cmdStart->setFocusPolicy(Qt::StrongFocus);
    // Not the default button: Enter starts a run only while the button has the focus.
    cmdStart->setAutoDefault(false);
    cmdStart->setDefault(false);
    cmdStart->installEventFilter(this);

    const QFont bold = uiFont(kPx975, true);
    const QFont fixedBold = uiFont(kPx975, true, Face::Fixed);
    Label7[0] = label(f, arrayName("Label7", 0), QStringLiteral("描画先ウィンドウを"), 8, 8, 105);
    Label7[1] =
        label(f, arrayName("Label7", 1), QStringLiteral("横に並べる"), 112, 8, 73, 17, bold, true);
    Label4[0] = label(f, arrayName("Label4", 0), QStringLiteral("描画先で"), 8, 24, 57);
    Label1 = label(f, QStringLiteral("Label1"), QStringLiteral("ペン・ブラシ、色"), 64, 24, 97, 17,
                   bold, true);
    Label12 = label(f, QStringLiteral("Label12"), QStringLiteral("を選択"), 176, 24, 49, 17,
                    uiFont(), true);
    Label13 = label(f, QStringLiteral("Label13"), QStringLiteral("このウィンドウをアクティブに"), 0,
                    40, 177, 17, uiFont(kPx9, true), true);
    Label14 = label(f, QStringLiteral("Label14"), QStringLiteral("してから"), 168, 40, 57, 17,
                    uiFont(), true);
    Label2[3] =
        label(f, arrayName("Label2", 3), QStringLiteral("出力開始座標"), 8, 56, 89, 17, fixedBold);
    Label3 = label(f, QStringLiteral("Label3"), QStringLiteral("にマウスを動かし"), 96, 56, 113);
    Label2[1] =
        label(f, arrayName("Label2", 1), QStringLiteral("Ctrl+G"), 72, 72, 57, 17, fixedBold, true);
    Label2[0] = label(f, arrayName("Label2", 0), QStringLiteral("で設定"), 128, 72, 49);
    Label4[1] = label(f, arrayName("Label4", 1), QStringLiteral("※マウス等から手を離し、"), 8, 96,
                      169, 17, uiFont(kPx9, true));
    Label11 =
        label(f, QStringLiteral("Label11"), QStringLiteral("Ｔａｂキーで"), 152, 96, 73, 17, bold);
    QPalette darkText = Label11->palette();
    darkText.setColor(QPalette::WindowText, kDarkGrey);
    Label11->setPalette(darkText);
    Label5[0] = label(f, arrayName("Label5", 0), QStringLiteral("このボタンに移動しエンター"), 72,
                      112, 169, 17, uiFont(), true);
    Label6 = label(f, QStringLiteral("Label6"), QStringLiteral("(中断する場合はESCキー)"), 72, 128,
                   161, 9, uiFont(kPx825, true));

    connect(cmdClear, &QPushButton::clicked, this, &frmGraph::clearPictureCommand);
    connect(cmdload, &QPushButton::clicked, this, &frmGraph::loadPictureCommand);
    connect(cmdPaste, &QPushButton::clicked, this, &frmGraph::pastePictureCommand);
    connect(cmdFixedStore, &QPushButton::clicked, this, &frmGraph::storePatternCommand);
    connect(cmdFixedLoad, &QPushButton::clicked, this, &frmGraph::loadPatternCommand);
    connect(cmdStart, &QPushButton::clicked, this, &frmGraph::startCommand);
}

void frmGraph::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    bar->setFont(uiFont());
    // Every shortcut is also an action of the window itself, so it works while the window is
    // active whatever the menu bar shows (the last menu's caption is empty).
    auto item = [this](QMenu* menu, const QString& name, const QString& caption,
                       const QKeySequence& shortcut = {}) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
            addAction(action);
        }
        return action;
    };

    mnu_menu1 = bar->addMenu(QStringLiteral("元絵(&M)"));
    mnu_menu1->setObjectName(QStringLiteral("mnu_menu1"));
    mnu_m[1] = item(mnu_menu1, arrayName("mnu_m", 1), QStringLiteral("ファイルから読込"),
                    QKeySequence(Qt::CTRL | Qt::Key_O));
    mnu_m[2] = item(mnu_menu1, arrayName("mnu_m", 2), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼り付け"),
                    QKeySequence(Qt::CTRL | Qt::Key_V));
    mnu_m[3] = item(mnu_menu1, arrayName("mnu_m", 3), QStringLiteral("クリア"),
                    QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    connect(mnu_m[1], &QAction::triggered, this, &frmGraph::loadPictureCommand);
    connect(mnu_m[2], &QAction::triggered, this, &frmGraph::pastePictureCommand);
    connect(mnu_m[3], &QAction::triggered, this, &frmGraph::clearPictureCommand);

    mnu_setting = bar->addMenu(QStringLiteral("設定(&S)"));
    mnu_setting->setObjectName(QStringLiteral("mnu_setting"));
    mnu_s[0] = item(mnu_setting, arrayName("mnu_s", 0), QStringLiteral("線の抽出設定(S)"));
    connect(mnu_s[0], &QAction::triggered, this, &frmGraph::openExtractionSettings);
    mnu_s1Menu = mnu_setting->addMenu(QStringLiteral("描画ウェイト(&W)"));
    mnu_s1Menu->setObjectName(QStringLiteral("mnu_s1Menu"));
    mnu_s[1] = mnu_s1Menu->menuAction();
    mnu_s[1]->setObjectName(arrayName("mnu_s", 1));
    waitMenu_ = new WaitMenu(*mnu_s1Menu, settings_, this);
    mnu_can = mnu_setting->addMenu(QStringLiteral("ｷｬﾝﾊﾞｽｻｲｽﾞ"));
    mnu_can->setObjectName(QStringLiteral("mnu_can"));
    const QStringList sizes = {QStringLiteral("200*200"), QStringLiteral("300*300"),
                               QStringLiteral("460*600(最大)"), QStringLiteral("カスタム")};
    for (int i = 0; i < sizes.size(); ++i) {
        mnu_canvas[i] = item(mnu_can, arrayName("mnu_canvas", i), sizes[i]);
        if (i < 3) {
            connect(mnu_canvas[i], &QAction::triggered, this, [this, i] { canvasPreset(i); });
        }
    }
    connect(mnu_canvas[3], &QAction::triggered, this, &frmGraph::customCanvasSizeCommand);

    mnu_version = bar->addAction(QStringLiteral("Version(&V)"));
    mnu_version->setObjectName(QStringLiteral("mnu_version"));
    connect(mnu_version, &QAction::triggered, this, &frmGraph::openAbout);

    mnu_men = bar->addMenu(QString());
    mnu_men->setObjectName(QStringLiteral("mnu_men"));
    mnu_getpt = item(mnu_men, QStringLiteral("mnu_getpt"), QStringLiteral("座標取得"),
                     QKeySequence(Qt::CTRL | Qt::Key_G));
    mnu_work = item(mnu_men, QStringLiteral("mnu_work"), QStringLiteral("画像リフレッシュ"));
    connect(mnu_getpt, &QAction::triggered, this, &frmGraph::captureOrigin);
    connect(mnu_work, &QAction::triggered, this, &frmGraph::refreshPicture);
}

void frmGraph::createStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFont(uiFont(kPx825));
    StatusBar1->setFixedHeight(kStatusBarHeight);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setContentsMargins(0, 0, 0, 0);
    const int widths[] = {93, 67, 93, 96};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("StatusBar1_panel%1").arg(i + 1));
        panel->setFont(uiFont(kPx825));
        panel->setFixedSize(widths[i], kStatusBarHeight);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(2, 0, 0, 0);
        StatusBar1->addWidget(panel);
        panels_[i] = panel;
    }
    setStatusBar(StatusBar1);
}

void frmGraph::load() {
    // 1. Start-up selections; the combo boxes' handlers run as for a user's choice.
    ListFixed->setCurrentRow(0);
    cmbMethod->setCurrentIndex(1);
    cmbDrawStyle->setCurrentIndex(0);
    // 2. Mode 1 unless the settings say otherwise.
    settings_.PickUpPattern = 1;
    // 3. The Shift-JIS character set of the window's font has no counterpart here: Qt's text
    //    is Unicode throughout.
    // 4.
    placeAtScreenRightEdge();
    // 5. The painter holds picSRC through PainterControls from its construction on.
    // 6.
    LoadSettings(settings_, *this, settingsPath());
    // 7. txtInput shows its text in the face the text tool draws with.
    const QFont canvasFont = picSRC->font();
    QFont inputFont = txtInput->font();
    inputFont.setFamily(canvasFont.family());
    if (canvasFont.pointSizeF() > 0) {
        inputFont.setPointSizeF(canvasFont.pointSizeF());
    }
    inputFont.setBold(canvasFont.bold());
    inputFont.setItalic(canvasFont.italic());
    inputFont.setStrikeOut(canvasFont.strikeOut());
    inputFont.setUnderline(canvasFont.underline());
    txtInput->setFont(inputFont);
    // 8.
    SetCanvasSize(settings_.CanvasHeight, settings_.CanvasWidth);
    // 9.
    SetStatusText(*this, 1, StartupExtractionModeText(settings_));
    // 10.
    waitMenu_->showStartupWait();
    // 11.
    SetStatusText(*this, 2, QStringLiteral("Wait: %1ms").arg(settings_.WaitTime));
    // 12.
    picSRC->move(0, 0);
    UpdateScrollRanges();
}

void frmGraph::placeAtScreenRightEdge() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    move(area.x() + area.width() - frameGeometry().width(), area.y());
}

PainterControls frmGraph::painterControls() {
    PainterControls controls;
    controls.picSRC = picSRC;
    controls.cmbMethod = cmbMethod;
    controls.cmbDrawStyle = cmbDrawStyle;
    controls.DWBar = DWBar;
    controls.FramLine = FramLine;
    controls.LineView = LineView;
    controls.lblforecol = lblforecol;
    controls.txtChar = txtChar;
    controls.txtInput = txtInput;
    controls.txtTextOut[0] = txtTextOut[0];
    controls.txtTextOut[1] = txtTextOut[1];
    controls.txtAngle = txtAngle;
    controls.cmdfont = cmdfont;
    controls.cmdDrawZtxt[0] = cmdDrawZtxt[0];
    controls.cmdDrawZtxt[1] = cmdDrawZtxt[1];
    controls.mnu_menu1 = mnu_menu1;
    controls.dialogs = dialogs_;
    controls.runState = &runState_;
    return controls;
}

QString frmGraph::caption() const {
    return windowTitle();
}

void frmGraph::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

void frmGraph::setStatusPanel(int panel, const QString& text) {
    if (panel >= 1 && panel <= static_cast<int>(panels_.size())) {
        panels_[panel - 1]->setText(text);
    }
}

QString frmGraph::statusPanel(int panel) const {
    if (panel >= 1 && panel <= static_cast<int>(panels_.size())) {
        return panels_[panel - 1]->text();
    }
    return {};
}

QString frmGraph::inputText() const {
    return txtInput->toPlainText();
}

void frmGraph::setInputText(const QString& text) {
    txtInput->setPlainText(text);
}

QFont frmGraph::pictureFont() const {
    return picSRC->font();
}

void frmGraph::setPictureFont(const QFont& font) {
    picSRC->setFont(font);
}

bool frmGraph::fontTransparent() const {
    return picSRC->FontTransparent();
}

void frmGraph::setFontTransparent(bool on) {
    picSRC->setFontTransparent(on);
}

void frmGraph::processEvents() {
    QCoreApplication::processEvents();
}

void frmGraph::startCommand() {
    if (runState_.inProgress()) {
        return;
    }
    picSRC->commit();
    SetCaptionTag(*this, QStringLiteral("[処理開始]"));
    SetStatusText(*this, 2, QStringLiteral("処理開始"));
    const OriginCheck origin =
        CheckOrigin(txtStartX->text(), txtStartY->text(), pointer_.primaryScreenSize());
    if (!origin.ok) {
        dialogs_->message(origin.message);
        return;
    }

    RunSettings runSettings;
    runSettings.extraction.PickUpPattern = settings_.PickUpPattern;
    runSettings.extraction.BlackUpper = settings_.BlackUpper;
    runSettings.extraction.WhiteUpper = settings_.WhiteUpper;
    runSettings.WaitTime = settings_.WaitTime;
    RunServices services{pointer_, *this, [] { QCoreApplication::processEvents(); }, SystemClock()};

    std::int32_t strokes = 0;
    QString failure;
    try {
        strokes = RunDrawing(picSRC->persistentImage(), origin.OriginX, origin.OriginY, runSettings,
                             services, runState_);
    } catch (const std::exception& error) {
        // The run has released the button and ended before the error reached here.
        failure = QString::fromLocal8Bit(error.what());
    }

    if (!failure.isEmpty()) {
        dialogs_->message(failure);
    } else {
        SetStatusText(*this, 3, StrokeCountText(strokes));
    }
    if (closeAfterRun_) {
        close();
    }
}

void frmGraph::captureOrigin() {
    const CapturedOrigin origin = CaptureOrigin(pointer_, *this);
    txtStartX->setText(origin.textX);
    txtStartY->setText(origin.textY);
}

void frmGraph::timerTick() {
    lblScreenPoint->setText(ScreenPointText(pointer_.position()));
}

void frmGraph::SetCanvasSize(std::int16_t height, std::int16_t width) {
    if (height <= 0 || width <= 0 || height > kLargestCanvasSide || width > kLargestCanvasSide) {
        height = kDefaultCanvasSide;
        width = kDefaultCanvasSide;
    }
    picSRC->setCanvasSize(width, height);
    // The picture goes back to the viewport's corner, and the bars say so.
    HBar->setSignedValue(0);
    VBar->setSignedValue(0);
    picSRC->move(0, 0);
    UpdateScrollRanges();
    settings_.CanvasHeight = static_cast<std::int16_t>(picSRC->ScaleHeight());
    settings_.CanvasWidth = static_cast<std::int16_t>(picSRC->ScaleWidth());
    SetStatusText(
        *this, 4,
        QStringLiteral("canvas:%1*%2").arg(settings_.CanvasHeight).arg(settings_.CanvasWidth));
}

void frmGraph::UpdateScrollRanges() {
    HBar->setSignedMaximum(RoundHalfEven(FrameG->width() - picSRC->width()));
    VBar->setSignedMaximum(RoundHalfEven(FrameG->height() - picSRC->height()));
    for (ViewportScrollBar* bar : {HBar, VBar}) {
        bar->setPageStep(kScrollLargeChange);
        bar->setSingleStep(kScrollSmallChange);
    }
}

void frmGraph::layOut() {
    if (isMinimized()) {
        return;
    }
    const QRect outer = frameGeometry();
    const int height = outer.height();
    const int width = outer.width();
    // The factors are those of the original layout: four scroll-bar heights and 1.05 painter
    // panel widths. A window too small for them gets an empty viewport rather than a negative one.
    const int viewportHeight =
        std::max(0, height - (kStatusBarHeight + 4 * HBar->height() + Frame2->height()));
    const int viewportWidth =
        std::max(0, RoundHalfEven(width - VBar->width() - 1.05 * Frame1->width()));
    FrameG->resize(viewportWidth, viewportHeight);
    VBar->move(viewportWidth, VBar->y());
    HBar->move(HBar->x(), viewportHeight);
    Frame2->move(Frame2->x(), HBar->y() + HBar->height());
    Frame1->move(VBar->x() + VBar->width(), Frame1->y());
    UpdateScrollRanges();
}

void frmGraph::canvasPreset(int index) {
    switch (index) {
        case 0:
            SetCanvasSize(200, 200);
            break;
        case 1:
            SetCanvasSize(300, 300);
            break;
        case 2:
            // The caption says 460; the largest canvas is 480 high.
            SetCanvasSize(480, 600);
            break;
        default:
            break;
    }
}

void frmGraph::openExtractionSettings() {
    dlgSetting dialog(settings_, *this, this);
    dialog.exec();
}

void frmGraph::openAbout() {
    // Disabled during a run: a modal box opened from a run's yield would hold the run, button
    // down, until it closes.
    frmAbout about(this);
    about.exec();
}

void frmGraph::refreshPicture() {
    picSRC->Refresh();
}

void frmGraph::loadPictureCommand() {
    LoadPictureFromDialog(*picSRC, this);
}

void frmGraph::pastePictureCommand() {
    PastePicture(*picSRC);
}

void frmGraph::clearPictureCommand() {
    ClearPicture(*picSRC);
}

void frmGraph::customCanvasSizeCommand() {
    if (const std::optional<QSize> size = AskCustomCanvasSize(*dialogs_)) {
        SetCanvasSize(static_cast<std::int16_t>(size->height()),
                      static_cast<std::int16_t>(size->width()));
    }
}

void frmGraph::storePatternCommand() {
    PatternContext context(*picSRC, *this, *dialogs_, runState_);
    StorePattern(context, static_cast<std::int16_t>(ListFixed->currentRow()));
}

void frmGraph::loadPatternCommand() {
    PatternContext context(*picSRC, *this, *dialogs_, runState_);
    LoadPattern(context, static_cast<std::int16_t>(ListFixed->currentRow()));
}

void frmGraph::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layOut();
}

void frmGraph::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    // The window manager's frame may arrive after the first resize; the outer size counts.
    layOut();
}

void frmGraph::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!placedAfterShow_) {
        placedAfterShow_ = true;
        placeAtScreenRightEdge();
    }
    layOut();
}

void frmGraph::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        layOut();
    }
}

void frmGraph::closeEvent(QCloseEvent* event) {
    if (runState_.inProgress()) {
        // The run stops at its next move and releases the button; the window closes after.
        runState_.requestStop();
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    if (!unloaded_) {
        unload();
    }
    event->accept();
    QCoreApplication::quit();
}

void frmGraph::unload() {
    unloaded_ = true;
    painter_.reset();
    Timer1->stop();
    const QString path = settingsPath();
    if (!SaveSettings(settings_, *this, path)) {
        // The settings would be lost without a word; a signal's close has no one to answer a box.
        const QString text = QStringLiteral("設定を保存できませんでした\n") + path;
        if (closingOnSignal_) {
            std::fprintf(stderr, "Stylorex: %s\n", text.toLocal8Bit().constData());
        } else {
            dialogs_->message(text);
        }
    }
}

void frmGraph::closeOnSignal() {
    closingOnSignal_ = true;
    close();
}

bool frmGraph::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cmdStart && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!key->isAutoRepeat()) {
                cmdStart->click();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace stylorex
