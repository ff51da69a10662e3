#pragma once

#include "common/user_dialogs.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

namespace stylorex {

// Answers every message box at once, every yes/no question with `confirmAnswer`, and every
// input box from a script (cancelled once the script has run out), and remembers what it was
// told and asked.
class RecordingDialogs : public UserDialogs {
  public:
    // A message or a question: its text and its title (the program's name for an empty one).
    struct Entry {
        QString text;
        QString title;
        bool operator==(const Entry&) const = default;
        friend void PrintTo(const Entry& entry, std::ostream* out) {
            *out << '"' << entry.text.toStdString() << "\" / \"" << entry.title.toStdString()
                 << '"';
        }
    };

    RecordingDialogs() = default;
    explicit RecordingDialogs(std::vector<std::optional<QString>> answers)
        : answers_(std::move(answers)) {}

    void message(const QString& text, const QString& title = QString()) override {
        messages.push_back({text, title.isEmpty() ? ProgramTitle() : title});
    }
    bool confirm(const QString& text, const QString& title = QString()) override {
        confirmations.push_back({text, title.isEmpty() ? ProgramTitle() : title});
        return confirmAnswer;
    }
    std::optional<QString> input(const QString& prompt, const QString& title) override {
        questions.push_back({prompt, title.isEmpty() ? ProgramTitle() : title});
        if (nextAnswer_ >= answers_.size()) {
            return std::nullopt;
        }
        return answers_[nextAnswer_++];
    }

    // The texts of the messages, in order.
    QStringList messageTexts() const {
        QStringList texts;
        for (const Entry& entry : messages) {
            texts << entry.text;
        }
        return texts;
    }

    std::vector<Entry> messages;
    std::vector<Entry> confirmations;
    std::vector<Entry> questions;
    bool confirmAnswer = false;

  private:
    std::vector<std::optional<QString>> answers_;
    std::size_t nextAnswer_ = 0;
};

}  // namespace stylorex
