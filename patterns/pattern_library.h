#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

namespace stylorex {

class PictureBox;
class RunState;
class UserDialogs;
class WindowText;

// The JPEG writer a store uses (DCSavetoJPEG's form); true when the file was written.
using JpegWriter = std::function<bool(const QImage& image, int width, int height,
                                      const QString& path, quint8 quality, int flags)>;

// What storing and loading a pattern touch: the picture, the caption and status bar, and the
// message boxes; the run state (stores and loads are refused while a run is in progress); the
// JPEG writer (DCSavetoJPEG unless a test puts a failing one in its place); and the program
// folder (ProgramFolder() unless a test puts a folder of its own in its place).
struct PatternContext {
    PatternContext(PictureBox& picture, WindowText& windowText, UserDialogs& userDialogs,
                   const RunState& runState);

    PictureBox& picSRC;
    WindowText& window;
    UserDialogs& dialogs;
    const RunState& run;
    JpegWriter saveJpeg;
    QString programFolder;
};

// Where the pattern files lie. Stores go to the program folder while it keeps files
// (ProgramFolderKeepsFiles: it can be written and is not the system's, as /usr/bin is), else
// to the per-user data folder ($XDG_DATA_HOME/stylorex/, by default ~/.local/share/stylorex/).
// Loads take the newest file of the slot in either folder, JPEG or BMP, so that the most recent
// store of a slot is the one loaded back, and try the next one when a file cannot be read.
QString PerUserPatternFolder();
QString PatternStoreFolder(const QString& programFolder);
// " N.jpg" / " N.bmp" for slot N (the space stands where a negative number's sign would).
QString PatternFileName(int slot, const QString& extension);

// Stores the committed picture in slot index + 1 (index -1, nothing selected, is slot 0).
void StorePattern(PatternContext& context, std::int16_t index);
// Makes the stored picture of slot index + 1 the background of the picture.
void LoadPattern(PatternContext& context, std::int16_t index);
// True when a plain file (not a folder) exists at `path`.
bool PatternFileExists(const QString& path);
// Removes the temporary files that stores killed before their end left beside the pattern
// files of slots 0 to 7, in both folders (RemoveStaleTemporaryFiles).
void RemoveStalePatternTemporaries(const QString& programFolder);

}  // namespace stylorex
