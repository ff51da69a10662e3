#include "common/program_message.h"

namespace stylorex {

QString ProgramMessageText(const QString& text) {
    return QStringLiteral("Stylorex: ") + text;
}

void PrintProgramMessage(const QString& text, std::FILE* stream) {
    std::fputs((ProgramMessageText(text) + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

}  // namespace stylorex
