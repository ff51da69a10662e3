#pragma once

#include "common/user_dialogs.h"

class QTranslator;
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

// Makes Qt's standard dialogs (files, fonts, the buttons of message and input boxes) speak
// Japanese like the rest of the program, from Qt's own translations (Debian package
// qt6-translations-l10n). Returns the installed translator, owned by the application, or
// nullptr when the translations are not installed (the dialogs stay English then).
QTranslator* InstallStandardDialogTranslations();

}  // namespace stylorex
