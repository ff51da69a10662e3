#include "ui/window_commands.h"

#include "canvas/picture_box.h"
#include "settings/language.h"
#include "ui/frm_graph.h"
#include "ui/frm_graph_layout.h"
#include "ui/menu_bar_item_keys.h"
#include "ui/picture_placement.h"
#include "ui/run_panels.h"
#include "ui/viewport_scroll_bar.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace stylorex {

template <typename Act>
void WindowCommands::bind(UserCommand command, QAction* action, Act act) {
    lockedActions_.emplace_back(command, action);
    connect(action, &QAction::triggered, &p_.window, [this, command, act] {
        if (p_.window.runState().allows(command)) {
            act();
        }
    });
}

template <typename Act>
void WindowCommands::bind(UserCommand command, QPushButton* button, Act act) {
    lockedButtons_.emplace_back(command, button);
    connect(button, &QPushButton::clicked, &p_.window, [this, command, act] {
        if (p_.window.runState().allows(command)) {
            act();
        }
    });
}

WindowCommands::WindowCommands(Parts parts) : QObject(&parts.window), p_(parts) {
    frmGraph& w = p_.window;
    const MainWindowControls& c = p_.controls;
    // The picture follows the scroll bars, also while a thumb is dragged.
    PictureBox* picture = c.picSRC;
    connect(c.HBar, &ViewportScrollBar::signedValueChanged, &w,
            [picture](int value) { picture->move(value, picture->y()); });
    connect(c.VBar, &ViewportScrollBar::signedValueChanged, &w,
            [picture](int value) { picture->move(picture->x(), value); });

    // Each command's menu item or button acts only while RunAllows lets it (a shortcut or a
    // queued click can reach it during a run all the same), and a run disables it. "処理" stays
    // enabled, refused by the start instead: it holds the keyboard focus during the run it
    // started, and a disabled button would pass the focus on, away from where the user presses
    // Enter for the next run.
    bind(UserCommand::ClearPicture, c.cmdClear, [&w] { w.clearPictureCommand(); });
    bind(UserCommand::LoadPicture, c.cmdload, [&w] { w.loadPictureCommand(); });
    bind(UserCommand::PastePicture, c.cmdPaste, [&w] { w.pastePictureCommand(); });
    bind(UserCommand::StorePattern, c.cmdFixedStore, [&w] { w.storePatternCommand(); });
    bind(UserCommand::LoadPattern, c.cmdFixedLoad, [&w] { w.loadPatternCommand(); });
    // The painter's own buttons, which it connects itself.
    lockedButtons_.emplace_back(UserCommand::PaintOnCanvas, c.cmdDrawZtxt[0]);
    lockedButtons_.emplace_back(UserCommand::PaintOnCanvas, c.cmdDrawZtxt[1]);
    lockedButtons_.emplace_back(UserCommand::PainterFont, c.cmdfont);
    connect(c.cmdStart, &QPushButton::clicked, &w, &frmGraph::startCommand);
    // Enter on "処理" (see eventFilter).
    start_ = c.cmdStart;
    start_->installEventFilter(this);
    new MenuBarItemKeys(*w.menuBar(), *c.mnu_version);

    bind(UserCommand::LoadPicture, c.mnu_m[1], [&w] { w.loadPictureCommand(); });
    bind(UserCommand::PastePicture, c.mnu_m[2], [&w] { w.pastePictureCommand(); });
    bind(UserCommand::ClearPicture, c.mnu_m[3], [&w] { w.clearPictureCommand(); });
    bind(UserCommand::ExtractionSettings, c.mnu_s[0], [&w] { w.openExtractionSettings(); });
    bind(UserCommand::Palette, c.mnu_palette, [&w] { w.openPalette(); });
    connect(c.mnu_japanese, &QAction::triggered, &w, [&w] { w.chooseLanguage(kLanguageJapanese); });
    connect(c.mnu_english, &QAction::triggered, &w, [&w] { w.chooseLanguage(kLanguageEnglish); });
    for (int i = 0; i < 3; ++i) {
        bind(UserCommand::CanvasSize, c.mnu_canvas[i], [&w, i] { w.canvasPreset(i); });
    }
    bind(UserCommand::CanvasSize, c.mnu_canvas[3], [&w] { w.customCanvasSizeCommand(); });
    bind(UserCommand::About, c.mnu_version, [&w] { w.openAbout(); });
    bind(UserCommand::PickOnScreen, c.mnu_pickArea, [&w] { w.pickAreaCommand(); });
    bind(UserCommand::FitLoadPicture, c.mnu_fitLoad,
         [&w] { w.placement().loadFitted(w.settings().LastPicture); });
    bind(UserCommand::RefreshPicture, c.mnu_work, [&w] { w.refreshPicture(); });
    bind(UserCommand::SavePicture, c.mnu_saveAs, [&w] { w.savePictureCommand(); });
    RunPanels* panels = &p_.panels;
    connect(c.mnu_followTarget, &QAction::toggled, &w, [&w, panels](bool on) {
        w.settings().FollowTarget = on;
        panels->requestPlan();
    });
    connect(c.mnu_joinRuns, &QAction::toggled, &w, [&w, panels](bool on) {
        w.settings().JoinRuns = on;
        panels->requestPlan();
    });
    connect(c.mnu_smooth, &QAction::toggled, &w,
            [&w](bool on) { w.settings().SmoothScaling = on; });
    connect(c.mnu_s1Menu, &QMenu::triggered, panels, &RunPanels::requestPlan);
    connect(c.mnu_resume, &QAction::triggered, &w, &frmGraph::resumeCommand);
    connect(c.mnu_preview, &QAction::toggled, &w, &frmGraph::showPreview);
    // Every change of the persistent image ends in a recorded step, an undo or a redo.
    connect(c.picSRC, &PictureBox::pictureChanged, &w, &frmGraph::pictureChanged);
    connect(c.mnu_getpt, &QAction::triggered, &w, &frmGraph::captureOrigin);
    connect(&p_.placement, &PicturePlacement::canvasResized, &w, &frmGraph::showCanvasSize);
    connect(c.mnu_undo, &QAction::triggered, &w, &frmGraph::undoCommand);
    connect(c.mnu_redo, &QAction::triggered, &w, &frmGraph::redoCommand);
    connect(c.picSRC, &PictureBox::historyChanged, &w, &frmGraph::showHistory);
    connect(c.picSRC, &PictureBox::pictureFileDropped, &w, &frmGraph::dropPictureFile);
    c.picSRC->setAcceptDrops(true);
}

void WindowCommands::showRunInProgress() {
    const RunState& state = p_.window.runState();
    for (const auto& [command, action] : lockedActions_) {
        action->setEnabled(state.allows(command));
    }
    for (const auto& [command, button] : lockedButtons_) {
        button->setEnabled(state.allows(command));
    }
    p_.controls.picSRC->setAcceptDrops(state.allows(UserCommand::DropPicture));
}

bool WindowCommands::eventFilter(QObject* watched, QEvent* event) {
    // The window's controls may be gone already while it is destroyed and still sends events:
    // only the button itself is compared, never read through them.
    if (watched == start_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!key->isAutoRepeat()) {
                start_->click();
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace stylorex
