#pragma once

#include "imaging/picture_decoder.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QMimeData;
class QWidget;

namespace stylorex {

class PictureBox;
class UserDialogs;

// The commands that fill, empty and size the source picture. Each ends without a change when it
// cannot be carried out; a picture that cannot be read is named to the user with the reason.

// One entry of the open dialog's filter list: the description the user reads and the
// patterns it stands for, as the Windows-style list "desc|*.a;*.b|desc|..." has them.
struct PictureFilterEntry {
    QString description;
    QStringList patterns;
};
const QList<PictureFilterEntry>& PictureFilterEntries();
// The same list in Qt's form: entries joined by ";;", each the description followed by its
// patterns in parentheses, space-separated ("ｱｲｺﾝ(*.ico,*.cur) (*.ico *.cur *.ICO *.CUR)").
// Qt takes the patterns from the last parentheses; the dialog hides them, so the user reads
// the description alone. Upper-case variants are added because names on this system are
// case-sensitive; "*.*", which means every file on Windows, becomes "*".
QString PictureFileFilter();

// The message that a picture could not be read: "画像を読み込めません", where it came from (a
// file's path, the clipboard) and why.
QString UnreadablePictureMessage(const QString& source, const QString& reason);

// Every picture is decoded in a limited child process (DecodePictureData) while the window's
// event loop goes on: the window repaints and answers the window system, and signals reach it.
// The commands below return once the decode has ended. The user's input waits meanwhile, and
// when a decode takes longer than a moment a box "読込中…" with "取消" comes up over
// `picture`'s window; 取消 or Esc there ends the decode and changes nothing, without a message.
// The notice, where given, is told true when the decode starts and false when it has ended (the
// window shows "読込中…" in its status bar meanwhile).
using LoadingNotice = std::function<void(bool loading)>;
// The status text while a picture loads.
QString LoadingStatusText();
// Waits for `decoding` as described above; nothing when it failed or was cancelled (then
// `cancelled` is set, where given).
std::optional<QImage> AwaitPicture(PictureDecoding& decoding, QWidget* over,
                                   const LoadingNotice& notice = {}, bool* cancelled = nullptr);

// Shows the open dialog and makes the chosen picture the background. False when cancelled or
// the file could not be decoded (nothing changes then; `dialogs` tells the user which file and
// why). The dialog offers `lastChosenFile` and a choice is kept there, so that it opens on the
// file chosen last (in its folder); before the first choice it opens in the user's pictures
// folder.
bool LoadPictureFromDialog(PictureBox& picture, QString& lastChosenFile, QWidget* dialogParent,
                           UserDialogs& dialogs, const LoadingNotice& notice = {});

// Pastes from the system clipboard; when nothing is pasted `dialogs` tells the user why.
bool PastePicture(PictureBox& picture, UserDialogs& dialogs, const LoadingNotice& notice = {});

// Makes the picture in the file at `path` the background, as the open dialog's choice would
// be; false (nothing changes, and `dialogs` tells the user which file and why) when the file
// cannot be read or decoded. A file dropped onto the canvas is loaded this way.
bool LoadPictureFile(PictureBox& picture, const QString& path, UserDialogs& dialogs,
                     const LoadingNotice& notice = {});

// The formats "名前を付けて保存" offers, the first the default: each entry's description, its
// file name suffixes (the first is added to a name without one), and the format and quality the
// writer takes.
struct PictureSaveFormat {
    QString description;
    QStringList suffixes;
    const char* format;
    int quality;
};
const QList<PictureSaveFormat>& PictureSaveFormats();
// Writes `image` to `path` through the atomic file write, in the format of the entry that has
// the suffix of `path` (in any case), else in `fallback`'s. False when it could not be written;
// an older file of that name is then untouched, and `why`, when given, receives the reason.
bool SavePictureFile(const QImage& image, const QString& path,
                     const PictureSaveFormat& fallback = PictureSaveFormats().constFirst(),
                     QString* why = nullptr);
// Shows the save dialog (on `lastSavedFile` once there is one, which a choice updates) and
// writes `image` to the chosen file; a name without a suffix gets that of the chosen format.
// A failed write is told as "画像を保存できませんでした", the file's path and the reason. False
// when cancelled or not written.
bool SavePictureFromDialog(const QImage& image, QString& lastSavedFile, UserDialogs& dialogs,
                           QWidget* dialogParent);
// Makes the picture of `data` the background. Nothing when `data` holds (non-empty) plain
// text, also beside a picture, or no picture that passes the checks a loaded file passes;
// `reason` then says why (and stays empty when the user cancelled the decode).
bool PastePicture(PictureBox& picture, const QMimeData* data, QString* reason = nullptr,
                  const LoadingNotice& notice = {});

// AutoRedraw on, Cls, no background picture, text position (0, 0): an all-white canvas.
void ClearPicture(PictureBox& picture);

// Asks for the height, then the width. Nothing when cancelled or not a number; the message
// "数値が不正です" and nothing when out of the limits. Otherwise height × width as a size
// (width, height).
std::optional<QSize> AskCustomCanvasSize(UserDialogs& dialogs);
// The number conversion of the size entries: the text as a decimal number (an optional sign,
// fraction or exponent, surrounding blanks ignored), rounded down, as a signed 16-bit value.
// Nothing for an empty or non-numeric text or a value outside the 16-bit range.
std::optional<qint16> ParseCanvasSizeAnswer(const QString& text);

}  // namespace stylorex
