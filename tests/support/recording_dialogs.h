#pragma once

#include "common/user_dialogs.h"

#include <QStringList>

#include <vector>

namespace stylorex {

// Answers every message box at once and remembers what it was told.
class RecordingDialogs : public UserDialogs {
  public:
    struct Message {
        QString text;
        QString title;
    };

    void message(const QString& text, const QString& title = QString()) override {
        messages.push_back({text, title.isEmpty() ? ProgramTitle() : title});
    }
    std::optional<QString> input(const QString& prompt, const QString&) override {
        prompts << prompt;
        return std::nullopt;
    }

    std::vector<Message> messages;
    QStringList prompts;
};

}  // namespace stylorex
