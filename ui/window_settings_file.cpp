#include "ui/window_settings_file.h"

#include "canvas/picture_box.h"
#include "common/program_message.h"
#include "common/user_dialogs.h"
#include "os/program_folder.h"
#include "patterns/pattern_library.h"
#include "ui/frm_graph_layout.h"

#include <QCoreApplication>
#include <QPlainTextEdit>

namespace stylorex {

WindowSettingsFile::WindowSettingsFile(MainWindowControls& controls, SettingVariables& settings,
                                       UserDialogs& dialogs)
    : controls_(controls),
      settings_(settings),
      dialogs_(dialogs),
      programFolder_(ProgramFolder()) {}

QString WindowSettingsFile::path() const {
    return path_.isEmpty() ? SettingsFilePath(programFolder_) : path_;
}

QString WindowSettingsFile::pathToRead() const {
    return path_.isEmpty() ? SettingsFileToRead(programFolder_) : path_;
}

void WindowSettingsFile::read() {
    LoadSettings(settings_, *this, pathToRead());
    RemoveStaleSettingsTemporaries(programFolder_);
    RemoveStalePatternTemporaries(programFolder_);
    const QFont canvasFont = controls_.picSRC->font();
    QFont inputFont = controls_.txtInput->font();
    inputFont.setFamily(canvasFont.family());
    if (canvasFont.pointSizeF() > 0) {
        inputFont.setPointSizeF(canvasFont.pointSizeF());
    }
    inputFont.setBold(canvasFont.bold());
    inputFont.setItalic(canvasFont.italic());
    inputFont.setStrikeOut(canvasFont.strikeOut());
    inputFont.setUnderline(canvasFont.underline());
    controls_.txtInput->setFont(inputFont);
}

void WindowSettingsFile::sayIfUnread() {
    unread_ = UnloadedSettings::check(pathToRead(), settings_, *this);
    if (unread_) {
        PrintProgramMessage(unread_->message());
        dialogs_.message(unread_->message());
    }
}

void WindowSettingsFile::write(bool nobodyAnswers) {
    if (unread_ && !unread_->changed(settings_, *this)) {
        return;
    }
    const QString file = path();
    QString why;
    if (SaveSettings(settings_, *this, file, SystemFileWriter(), &why)) {
        return;
    }
    // The window's texts, under the window's name in the catalogue.
    QString text =
        QCoreApplication::translate("stylorex::frmGraph", "設定を保存できませんでした\n") + file;
    if (!why.isEmpty()) {
        text += QCoreApplication::translate("stylorex::frmGraph", "（%1）").arg(why);
    }
    if (nobodyAnswers) {
        PrintProgramMessage(text);
    } else {
        dialogs_.message(text);
    }
}

QString WindowSettingsFile::inputText() const {
    return controls_.txtInput->toPlainText();
}

void WindowSettingsFile::setInputText(const QString& text) {
    controls_.txtInput->setPlainText(text);
}

QFont WindowSettingsFile::pictureFont() const {
    return controls_.picSRC->font();
}

void WindowSettingsFile::setPictureFont(const QFont& font) {
    controls_.picSRC->setFont(font);
}

bool WindowSettingsFile::fontTransparent() const {
    return controls_.picSRC->FontTransparent();
}

void WindowSettingsFile::setFontTransparent(bool on) {
    controls_.picSRC->setFontTransparent(on);
}

void WindowSettingsFile::processEvents() {
    QCoreApplication::processEvents();
}

}  // namespace stylorex
