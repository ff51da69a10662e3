#pragma once

#include <QString>

#include <optional>

namespace stylorex {

// What the shared helpers need of the main window: its caption and the text panels of its
// status bar. The main window implements it; tests use a recording fake.
class WindowText {
  public:
    virtual ~WindowText() = default;
    virtual QString caption() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    // Panels are numbered from 1: 1 extraction mode, 2 activity, 3 stroke count, 4 canvas size,
    // 5 the check of the last run's result on the screen.
    virtual void setStatusPanel(int panel, const QString& text) = 0;
    // A panel's tool tip; a window that shows none ignores it.
    virtual void setStatusToolTip(int /*panel*/, const QString& /*text*/) {}

  private:
    friend void SetCaptionTag(WindowText& window, const QString& tag);
    // The caption before the first tag: the window lives as long as the program run, so this is
    // the caption the window had at the first tag of the run.
    std::optional<QString> untaggedCaption_;
};

// Puts `tag` behind the caption the window had at its first tag ("Stylorex [処理開始]"); every
// later tag replaces the previous one.
void SetCaptionTag(WindowText& window, const QString& tag);

void SetStatusText(WindowText& window, int panel, const QString& text);

}  // namespace stylorex
