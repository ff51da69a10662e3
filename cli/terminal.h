#pragma once

#include <QString>

#include <cstdio>

namespace stylorex {

// The command line's terminal: results go to `out`, messages to `err`. When `out` is a terminal,
// a live line (the countdown, the progress) stands on its last row until the next result or
// message replaces it; when it is not, there is no live line at all.
class Terminal {
  public:
    Terminal(std::FILE* out, std::FILE* err);

    bool live() const { return live_; }
    // The live line, where there is one.
    void show(const QString& line);
    void result(const QString& text);
    // One message, "Stylorex: " first; a question ends without a line break, so the answer
    // follows it.
    void message(const QString& text, bool endLine = true);
    // Whether the standard input is a terminal that can answer a question.
    static bool canAsk();
    // The answer typed on the standard input: true for one that starts with y or Y.
    static bool answeredYes();

  private:
    void clear();

    std::FILE* out_;
    std::FILE* err_;
    bool live_;
    bool shown_ = false;
};

}  // namespace stylorex
