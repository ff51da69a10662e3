#pragma once

#include <QString>

#include <optional>

namespace stylorex {

// The program's only ways of asking or telling the user something: a message box with an OK
// button alone, a yes/no question, and an input box. The main window uses the Qt dialogs; tests
// answer them.
class UserDialogs {
  public:
    virtual ~UserDialogs() = default;
    // An empty title means the program's name.
    virtual void message(const QString& text, const QString& title = QString()) = 0;
    // True when the user answered yes; no is the default answer.
    virtual bool confirm(const QString& text, const QString& title = QString()) = 0;
    // The typed text, or nothing when the box was cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title) = 0;
};

// The program's name, the title of message boxes that name no other.
QString ProgramTitle();

}  // namespace stylorex
