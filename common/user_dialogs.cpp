#include "common/user_dialogs.h"

namespace stylorex {

QString ProgramTitle() {
    return QStringLiteral("Stylorex");
}

}  // namespace stylorex
