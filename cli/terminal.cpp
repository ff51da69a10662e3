#include "cli/terminal.h"

#include "common/program_message.h"

#include <unistd.h>

namespace stylorex {

namespace {

// Texts hold what files and names hold (a palette file's line, a path): a control character among
// them is shown as \xNN, so that no file sends the terminal a sequence of its own (a new title, a
// cleared screen). Line breaks and tabs stay.
QString escaped(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != u'\n' && code != u'\t') || (code >= 0x7f && code < 0xa0)) {
            shown += QStringLiteral("\\x") +
                     QString::number(code, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        } else {
            shown += c;
        }
    }
    return shown;
}

void write(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

}  // namespace

Terminal::Terminal(std::FILE* out, std::FILE* err)
    : out_(out), err_(err), live_(::isatty(::fileno(out)) == 1) {}

void Terminal::show(const QString& line) {
    if (live_) {
        write(out_, QStringLiteral("\r") + line + QStringLiteral("\x1b[K"));
        shown_ = true;
    }
}

void Terminal::result(const QString& text) {
    clear();
    write(out_, escaped(text) + QLatin1Char('\n'));
}

void Terminal::message(const QString& text, bool endLine) {
    clear();
    write(err_, ProgramMessageText(escaped(text)) + (endLine ? QStringLiteral("\n") : QString()));
}

bool Terminal::canAsk() {
    return ::isatty(STDIN_FILENO) == 1;
}

bool Terminal::answeredYes() {
    char answer[16] = {};
    return std::fgets(answer, sizeof answer, stdin) != nullptr &&
           (answer[0] == 'y' || answer[0] == 'Y');
}

void Terminal::clear() {
    if (shown_) {
        write(out_, QStringLiteral("\r\x1b[K"));
        shown_ = false;
    }
}

}  // namespace stylorex
