#include "patterns/pattern_library.h"

#include "canvas/picture_box.h"
#include "common/user_dialogs.h"
#include "common/window_text.h"
#include "engine/run_state.h"
#include "imaging/image_file.h"
#include "imaging/jpeg_writer.h"
#include "imaging/picture_decoder.h"
#include "os/program_folder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <utility>
#include <vector>

namespace stylorex {

namespace {

constexpr quint8 kJpegQuality = 90;
constexpr int kStatusPanel = 2;

const QString kJpegExtension = QStringLiteral(".jpg");
const QString kBmpExtension = QStringLiteral(".bmp");

// Both folders, the one a store would write to now first.
QStringList patternFolders(const QString& programFolder) {
    const QString perUser = PerUserPatternFolder();
    if (ProgramFolderKeepsFiles(programFolder)) {
        return {programFolder, perUser};
    }
    return {perUser, programFolder};
}

// The files of `slot` in both folders, the one the last store wrote first: newest first, and
// in a tie the folder a store would write to now before the other, JPEG before BMP. A store
// whose JPEG could not be written leaves an older JPEG beside its BMP.
QStringList storedFiles(const QString& programFolder, int slot) {
    std::vector<std::pair<QString, QDateTime>> files;
    for (const QString& folder : patternFolders(programFolder)) {
        for (const QString& extension : {kJpegExtension, kBmpExtension}) {
            const QString path = JoinPath(folder, PatternFileName(slot, extension));
            if (PatternFileExists(path)) {
                files.emplace_back(path, QFileInfo(path).lastModified());
            }
        }
    }
    std::stable_sort(files.begin(), files.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    QStringList paths;
    for (const auto& file : files) {
        paths << file.first;
    }
    return paths;
}

void showProgress(WindowText& window, const QString& status, const QString& tag) {
    SetStatusText(window, kStatusPanel, status);
    SetCaptionTag(window, tag);
}

}  // namespace

PatternContext::PatternContext(PictureBox& picture, WindowText& windowText,
                               UserDialogs& userDialogs, const RunState& runState)
    : picSRC(picture),
      window(windowText),
      dialogs(userDialogs),
      run(runState),
      saveJpeg(DCSavetoJPEG),
      programFolder(ProgramFolder()) {}

QString PerUserPatternFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return JoinPath(base, QStringLiteral("stylorex/"));
}

QString PatternStoreFolder(const QString& programFolder) {
    if (ProgramFolderKeepsFiles(programFolder)) {
        return programFolder;
    }
    const QString perUser = PerUserPatternFolder();
    QDir().mkpath(perUser);
    return perUser;
}

QString PatternFileName(int slot, const QString& extension) {
    const QString number = QString::number(slot);
    return (slot < 0 ? number : QLatin1Char(' ') + number) + extension;
}

bool PatternFileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

void RemoveStalePatternTemporaries(const QString& programFolder) {
    // Slot 0 is stored while nothing is selected, 1 to 7 from the list.
    constexpr int kLastSlot = 7;
    QStringList paths;
    for (const QString& folder : patternFolders(programFolder)) {
        for (int slot = 0; slot <= kLastSlot; ++slot) {
            for (const QString& extension : {kJpegExtension, kBmpExtension}) {
                paths << JoinPath(folder, PatternFileName(slot, extension));
            }
        }
    }
    RemoveStaleTemporaryFiles(paths, kImageFileLinks);
}

void StorePattern(PatternContext& context, std::int16_t index) {
    // A store commits the picture and writes the caption and status that the run is using.
    if (!context.run.allows(UserCommand::StorePattern)) {
        return;
    }
    PictureBox& picture = context.picSRC;
    picture.commit();
    showProgress(context.window, QCoreApplication::translate("PatternLibrary", "登録中"),
                 QCoreApplication::translate("PatternLibrary", "[定型登録中]"));

    const int slot = index + 1;
    const QString folder = PatternStoreFolder(context.programFolder);
    const QString jpegPath = JoinPath(folder, PatternFileName(slot, kJpegExtension));
    const QString bmpPath = JoinPath(folder, PatternFileName(slot, kBmpExtension));

    const QImage& committed = picture.persistentImage();
    const bool jpegWritten =
        context.saveJpeg && context.saveJpeg(committed, picture.ScaleWidth(), picture.ScaleHeight(),
                                             jpegPath, kJpegQuality, 0);
    if (!jpegWritten) {
        context.dialogs.message(
            QCoreApplication::translate("PatternLibrary",
                                        "JPEG保存に問題があるためBMP形式で保存します"),
            QCoreApplication::translate("PatternLibrary", "JPEG保存障害"));
        QString why;
        if (!WriteImageFile(committed.convertToFormat(QImage::Format_RGB32), bmpPath, "bmp", -1,
                            &why)) {
            showProgress(context.window, QCoreApplication::translate("PatternLibrary", "登録失敗"),
                         QCoreApplication::translate("PatternLibrary", "[定型登録失敗]"));
            context.dialogs.message(
                QCoreApplication::translate(
                    "PatternLibrary",
                    "定型画像を保存できませんでした: %1（%2）。登録されていません")
                    .arg(QDir::toNativeSeparators(bmpPath), why),
                QCoreApplication::translate("PatternLibrary", "定型登録"));
            return;
        }
    }
    showProgress(context.window, QCoreApplication::translate("PatternLibrary", "登録完了 "),
                 QCoreApplication::translate("PatternLibrary", "[定型登録完了]"));
}

void LoadPattern(PatternContext& context, std::int16_t index) {
    if (!context.run.allows(UserCommand::LoadPattern)) {
        return;
    }
    const QStringList candidates = storedFiles(context.programFolder, index + 1);
    if (candidates.isEmpty()) {
        context.dialogs.message(QCoreApplication::translate("PatternLibrary", "登録されていません"),
                                QCoreApplication::translate("PatternLibrary", "定型ロード"));
        return;
    }
    showProgress(context.window, QCoreApplication::translate("PatternLibrary", "ロード中"),
                 QCoreApplication::translate("PatternLibrary", "[定型ロード中]"));
    std::optional<QImage> image;
    for (const QString& path : candidates) {
        image = DecodePictureFile(path);
        if (image) {
            break;
        }
    }
    if (!image) {
        showProgress(context.window, QCoreApplication::translate("PatternLibrary", "ロード失敗"),
                     QCoreApplication::translate("PatternLibrary", "[定型ロード失敗]"));
        context.dialogs.message(
            QCoreApplication::translate("PatternLibrary", "定型画像を読み込めません"),
            QCoreApplication::translate("PatternLibrary", "定型ロード"));
        return;
    }
    context.picSRC.setPicture(*image);
    showProgress(context.window, QCoreApplication::translate("PatternLibrary", "ロード完了"),
                 QCoreApplication::translate("PatternLibrary", "[定型ロード完了]"));
}

}  // namespace stylorex
