#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

class QWidget;

namespace stylorex {

class PictureBox;
class UserDialogs;

// The commands that fill, empty and size the source picture. Each ends quietly without a
// change when it cannot be carried out.

// The open dialog's filter list, entries separated by ";;" in Qt's form.
QString PictureFileFilter();
// Shows the open dialog and makes the chosen picture the background. False when cancelled or
// the file could not be decoded (nothing changes then).
bool LoadPictureFromDialog(PictureBox& picture, QWidget* dialogParent);
// Decodes one picture file of any supported format; nothing when it cannot be read safely.
std::optional<QImage> DecodePictureFile(const QString& path);
// Does nothing when the clipboard holds text or no picture.
bool PastePicture(PictureBox& picture);
void ClearPicture(PictureBox& picture);
// Asks for the height, then the width. Nothing when cancelled or not a number; the message
// "数値が不正です" and nothing when out of the limits. Otherwise height × width as a size
// (width, height).
std::optional<QSize> AskCustomCanvasSize(UserDialogs& dialogs);

}  // namespace stylorex
