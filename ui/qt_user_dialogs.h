#pragma once

#include "common/user_dialogs.h"

class QWidget;

namespace stylorex {

// The Qt message boxes and input box, parented to the main window.
class QtUserDialogs : public UserDialogs {
  public:
    explicit QtUserDialogs(QWidget* parent) : parent_(parent) {}
    void message(const QString& text, const QString& title = QString()) override;
    bool confirm(const QString& text, const QString& title = QString()) override;
    std::optional<QString> input(const QString& prompt, const QString& title) override;

  private:
    QWidget* parent_;
};

}  // namespace stylorex
