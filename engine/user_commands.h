#pragma once

namespace stylorex {

// What the user can ask of the program besides the run itself: the window's menu items and
// buttons, the painter's strokes on the canvas, a picture dropped onto it.
enum class UserCommand {
    LoadPicture,
    FitLoadPicture,
    PastePicture,
    DropPicture,
    ClearPicture,
    SavePicture,
    Undo,
    Redo,
    RefreshPicture,
    PaintOnCanvas,  // the painter's tools and its text
    PainterFont,
    StorePattern,
    LoadPattern,
    CanvasSize,
    ExtractionSettings,
    Palette,
    About,
    PickOnScreen,   // an overlay over the screen: the area pick, Ctrl+G where the click is read
    ShowOutline,    // the outline of where the picture will land
    CaptureOrigin,  // Ctrl+G where the pointer's position is read
    RunSetting,     // the wait, the follow mode and the other settings a run takes at its start
    StartRun,
    ResumeRun,
};

// Whether a run in progress leaves `command` usable. A run locks whatever would change the
// picture or the canvas it draws from, show something over the screen it draws on, or open
// something modal, which would hold the run with the button down until it closed. This is the
// one place that says which commands: the window disables their menu items and buttons by it,
// and each command asks it again before it acts (a shortcut, a drop or a queued signal can
// reach it all the same).
constexpr bool RunAllows(UserCommand command) {
    switch (command) {
        case UserCommand::CaptureOrigin:
        case UserCommand::RunSetting:
            return true;
        default:
            return false;
    }
}

}  // namespace stylorex
