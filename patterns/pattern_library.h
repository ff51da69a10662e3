#pragma once

#include <QString>

#include <cstdint>

namespace stylorex {

class PictureBox;
class UserDialogs;
class WindowText;

// What storing and loading a pattern touch: the picture, the caption and status bar, and the
// message boxes.
struct PatternContext {
    PictureBox& picSRC;
    WindowText& window;
    UserDialogs& dialogs;
};

// Stores the committed picture in slot index + 1 (index -1, nothing selected, is slot 0).
void StorePattern(PatternContext& context, std::int16_t index);
void LoadPattern(PatternContext& context, std::int16_t index);
// True when a plain file (not a folder) exists at `path`.
bool PatternFileExists(const QString& path);

}  // namespace stylorex
