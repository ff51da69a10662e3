#pragma once

#include "settings/persistent_settings.h"
#include "ui/unloaded_settings.h"

#include <QString>

#include <optional>

namespace stylorex {

class UserDialogs;
struct MainWindowControls;

// The main window's settings file: where it lies, what it keeps of the controls beside the
// setting variables (the text tool's text, the canvas font), its read at the start and its write
// at the end. A file that exists but could not be read stays as it is unless a setting changes
// (ui/unloaded_settings.h).
class WindowSettingsFile : public SettingsControls {
  public:
    // The controls, the variables and the dialogs are the window's, and outlive this.
    WindowSettingsFile(MainWindowControls& controls, SettingVariables& settings,
                       UserDialogs& dialogs);

    // Where read() reads and write() writes when set; otherwise read() reads
    // SettingsFileToRead() and write() writes SettingsFilePath() of the program folder.
    void setPath(const QString& path) { path_ = path; }
    QString path() const;
    QString pathToRead() const;
    // The folder that holds the settings file and the stored patterns while it can be written;
    // the executable's (ProgramFolder()) unless set.
    void setProgramFolder(const QString& folder) { programFolder_ = folder; }
    const QString& programFolder() const { return programFolder_; }

    // Reads the file into the variables and the controls, removes the temporary files that saves
    // and stores killed before their rename left, and shows txtInput's text in the face the text
    // tool draws with.
    void read();
    // Once the window shows what was read: a file that could not be read is said at once, on
    // standard error and in a message box.
    void sayIfUnread();
    // Writes the variables and the controls, unless the file that could not be read stays as it
    // is. A failure is said in a message box, or on standard error where `nobodyAnswers` (a
    // close on a signal): the settings would otherwise be lost without a word.
    void write(bool nobodyAnswers);

    // SettingsControls
    QString inputText() const override;
    void setInputText(const QString& text) override;
    QFont pictureFont() const override;
    void setPictureFont(const QFont& font) override;
    bool fontTransparent() const override;
    void setFontTransparent(bool on) override;
    void processEvents() override;

  private:
    MainWindowControls& controls_;
    SettingVariables& settings_;
    UserDialogs& dialogs_;
    QString path_;
    QString programFolder_;
    // Set when the file could not be read: kept then unless a setting changes.
    std::optional<UnloadedSettings> unread_;
};

}  // namespace stylorex
