#pragma once

#include "engine/user_commands.h"

#include <QObject>

#include <utility>
#include <vector>

class QAction;
class QPushButton;
class QWidget;

namespace stylorex {

class PicturePlacement;
class RunPanels;
class frmGraph;
struct MainWindowControls;

// Which menu item, button and key runs which of the window's commands, and which of them a run
// locks: each locked command acts only while RunAllows (engine/user_commands.h) lets it, and its
// controls are disabled while a run is in progress.
class WindowCommands : public QObject {
    Q_OBJECT
  public:
    struct Parts {
        frmGraph& window;
        MainWindowControls& controls;
        RunPanels& panels;
        PicturePlacement& placement;
    };
    // Connects every control to its command; a child of the window.
    explicit WindowCommands(Parts parts);

    // Disables (during a run) or enables again the controls of the commands a run locks.
    void showRunInProgress();

  protected:
    // Enter on "処理" clicks it, once for each press.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    template <typename Act>
    void bind(UserCommand command, QAction* action, Act act);
    template <typename Act>
    void bind(UserCommand command, QPushButton* button, Act act);

    Parts p_;
    QPushButton* start_ = nullptr;  // "処理", whose Enter the filter takes
    std::vector<std::pair<UserCommand, QAction*>> lockedActions_;
    std::vector<std::pair<UserCommand, QWidget*>> lockedButtons_;
};

}  // namespace stylorex
