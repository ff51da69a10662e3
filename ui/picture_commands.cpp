#include "ui/picture_commands.h"

#include "canvas/picture_box.h"
#include "common/setting_limits.h"
#include "common/user_dialogs.h"
#include "imaging/image_file.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace stylorex {

namespace {

constexpr int kMinCanvasHeight = kSmallestCanvasSide;
constexpr int kMaxCanvasHeight = kLargestCanvasHeight;
constexpr int kMinCanvasWidth = kSmallestCanvasSide;
constexpr int kMaxCanvasWidth = kLargestCanvasWidth;

QString canvasSizeTitle() {
    return QCoreApplication::translate("PictureCommands", "キャンバスサイズ変更");
}
QString clipboardHoldsNoPicture() {
    return QCoreApplication::translate("PictureCommands", "クリップボードに画像がありません");
}

// A decode shorter than this shows no box: most pictures take a few milliseconds.
constexpr int kLoadingBoxDelayMs = 300;

// The box over the window while a slow decode runs: the text and 取消; Esc rejects it as well.
QDialog* loadingBox(QWidget* over) {
    auto* box = new QDialog(over != nullptr ? over->window() : nullptr);
    box->setObjectName(QStringLiteral("loadingBox"));
    box->setWindowTitle(QStringLiteral("Stylorex"));
    box->setWindowModality(over != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel(LoadingStatusText(), box));
    auto* buttons = new QDialogButtonBox(box);
    buttons->addButton(QCoreApplication::translate("PictureCommands", "取消"),
                       QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::reject);
    layout->addWidget(buttons);
    return box;
}

QString qtPatterns(const QStringList& patterns) {
    QStringList out;
    for (const QString& pattern : patterns) {
        if (pattern == QStringLiteral("*.*")) {
            out << QStringLiteral("*");
        } else {
            out << pattern;
        }
    }
    QStringList upper;
    for (const QString& pattern : out) {
        if (pattern.toUpper() != pattern) {
            upper << pattern.toUpper();
        }
    }
    return (out + upper).join(QLatin1Char(' '));
}

}  // namespace

const QList<PictureFilterEntry>& PictureFilterEntries() {
    static const QList<PictureFilterEntry> entries = {
        {QCoreApplication::translate("PictureCommands", "すべてのﾋﾟｸﾁｬﾌｧｲﾙ"),
         {"*.ico", "*.jpeg", "*.gif", "*.jpg", "*.bmp", "*.dib", "*.wmf", "*.emf", "*.cur",
          "*.png"}},
        {QCoreApplication::translate("PictureCommands", "ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp,*.dib)"),
         {"*.bmp", "*.dib"}},
        {QStringLiteral("JPEG(*.jpg,*.jpeg)"), {"*.jpg", "*.jpeg"}},
        {QStringLiteral("GIF(*.gif)"), {"*.gif"}},
        {QCoreApplication::translate("PictureCommands", "ｱｲｺﾝ(*.ico,*.cur)"), {"*.ico", "*.cur"}},
        {QCoreApplication::translate("PictureCommands", "ﾒﾀﾌｧｲﾙ(*.wmf,*.emf)"), {"*.wmf", "*.emf"}},
        {QCoreApplication::translate("PictureCommands", "すべてのﾌｧｲﾙ(*.*)"), {"*.*"}},
        {QStringLiteral("PNG(*.png)"), {"*.png"}},
    };
    return entries;
}

QString PictureFileFilter() {
    QStringList filters;
    for (const PictureFilterEntry& entry : PictureFilterEntries()) {
        filters << entry.description + QStringLiteral(" (") + qtPatterns(entry.patterns) +
                       QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QString UnreadablePictureMessage(const QString& source, const QString& reason) {
    return QCoreApplication::translate("PictureCommands", "画像を読み込めません\n%1\n%2")
        .arg(source, reason);
}

QString LoadingStatusText() {
    return QCoreApplication::translate("PictureCommands", "読込中…");
}

std::optional<QImage> AwaitPicture(PictureDecoding& decoding, QWidget* over,
                                   const LoadingNotice& notice, bool* cancelled) {
    if (notice) {
        notice(true);
    }
    QEventLoop loop;
    QObject::connect(&decoding, &PictureDecoding::finished, &loop, &QEventLoop::quit);
    if (!decoding.isFinished()) {
        // First without the user's input, which waits until the decode ends or the box shows:
        // nothing the user does meanwhile may start on the picture being replaced.
        QTimer::singleShot(kLoadingBoxDelayMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!decoding.isFinished()) {
        // The box is the window's child: should the window go while the loop runs, so does it.
        const QPointer<QDialog> box = loadingBox(over);
        QObject::connect(box, &QDialog::rejected, &decoding, &PictureDecoding::cancel);
        box->show();
        loop.exec();
        delete box.data();
    }
    if (notice) {
        notice(false);
    }
    if (cancelled != nullptr) {
        // Unfinished: the program is quitting, and the loop with it.
        *cancelled = decoding.cancelled() || !decoding.isFinished();
    }
    return decoding.isFinished() ? decoding.image() : std::nullopt;
}

namespace {

// The file the open dialog's user chose; nothing when cancelled.
std::optional<QString> chooseFile(const QString& lastChosenFile, QWidget* dialogParent) {
    QFileDialog dialog(dialogParent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QString filter = PictureFileFilter();
    dialog.setNameFilters(filter.split(QStringLiteral(";;")));
    dialog.selectNameFilter(filter.section(QStringLiteral(";;"), 0, 0));
    // The last file's folder, or the user's pictures folder the first time, or when the stored
    // path no longer leads anywhere.
    const QFileInfo last(lastChosenFile);
    if (!lastChosenFile.isEmpty() && last.absoluteDir().exists()) {
        dialog.setDirectory(last.absolutePath());
        dialog.selectFile(last.fileName());
    } else {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        dialog.setDirectory(QDir(pictures).exists() ? pictures : QDir::homePath());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

bool LoadPictureFromDialog(PictureBox& picture, QString& lastChosenFile, QWidget* dialogParent,
                           UserDialogs& dialogs, const LoadingNotice& notice) {
    // The dialog is gone before the decode starts, and with it the thread its file list reads
    // the folder on: the decode's child is a fork() of this process, and a lock that thread held
    // at that moment would stay locked in the child.
    const std::optional<QString> chosen = chooseFile(lastChosenFile, dialogParent);
    if (!chosen) {
        return false;
    }
    lastChosenFile = *chosen;
    return LoadPictureFile(picture, *chosen, dialogs, notice);
}

bool LoadPictureFile(PictureBox& picture, const QString& path, UserDialogs& dialogs,
                     const LoadingNotice& notice) {
    const std::unique_ptr<PictureDecoding> decoding = PictureDecoding::ofFile(path);
    bool cancelled = false;
    const std::optional<QImage> image = AwaitPicture(*decoding, &picture, notice, &cancelled);
    if (!image) {
        if (!cancelled) {
            dialogs.message(
                UnreadablePictureMessage(QDir::toNativeSeparators(path), decoding->reason()));
        }
        return false;
    }
    picture.setPicture(*image);
    return true;
}

const QList<PictureSaveFormat>& PictureSaveFormats() {
    // JPEG at quality 90, as the stored patterns are written.
    static const QList<PictureSaveFormat> formats = {
        {QStringLiteral("PNG(*.png)"), {QStringLiteral("png")}, "png", -1},
        {QCoreApplication::translate("PictureCommands", "ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)"),
         {QStringLiteral("bmp")},
         "bmp",
         -1},
        {QStringLiteral("JPEG(*.jpg,*.jpeg)"),
         {QStringLiteral("jpg"), QStringLiteral("jpeg")},
         "jpeg",
         90},
    };
    return formats;
}

bool SavePictureFile(const QImage& image, const QString& path, const PictureSaveFormat& fallback,
                     QString* why) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const PictureSaveFormat* format = &fallback;
    for (const PictureSaveFormat& entry : PictureSaveFormats()) {
        if (entry.suffixes.contains(suffix)) {
            format = &entry;
        }
    }
    return WriteImageFile(image, path, format->format, format->quality, why);
}

bool SavePictureFromDialog(const QImage& image, QString& lastSavedFile, UserDialogs& dialogs,
                           QWidget* dialogParent) {
    const QList<PictureSaveFormat>& formats = PictureSaveFormats();
    QStringList filters;
    for (const PictureSaveFormat& format : formats) {
        QStringList patterns;
        for (const QString& suffix : format.suffixes) {
            patterns << QStringLiteral("*.") + suffix;
        }
        filters << format.description + QStringLiteral(" (") + qtPatterns(patterns) +
                       QLatin1Char(')');
    }
    QFileDialog dialog(dialogParent,
                       QCoreApplication::translate("PictureCommands", "名前を付けて保存"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(formats.constFirst().suffixes.constFirst());
    auto chosenFormat = [&] {
        return formats[std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()))];
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&] { dialog.setDefaultSuffix(chosenFormat().suffixes.constFirst()); });
    if (!lastSavedFile.isEmpty()) {
        const QFileInfo last(lastSavedFile);
        dialog.setDirectory(last.absolutePath());
        dialog.selectFile(last.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    lastSavedFile = chosen;
    QString why;
    if (!SavePictureFile(image, chosen, chosenFormat(), &why)) {
        dialogs.message(
            QCoreApplication::translate("PictureCommands", "画像を保存できませんでした\n%1\n%2")
                .arg(chosen, why));
        return false;
    }
    return true;
}

bool PastePicture(PictureBox& picture, UserDialogs& dialogs, const LoadingNotice& notice) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    QString reason;
    if (PastePicture(picture, clipboard != nullptr ? clipboard->mimeData() : nullptr, &reason,
                     notice)) {
        return true;
    }
    if (reason.isEmpty()) {
        return false;  // cancelled
    }
    dialogs.message(UnreadablePictureMessage(
        QCoreApplication::translate("PictureCommands", "クリップボード"), reason));
    return false;
}

bool PastePicture(PictureBox& picture, const QMimeData* data, QString* reason,
                  const LoadingNotice& notice) {
    const auto fail = [reason](const QString& why) {
        if (reason != nullptr) {
            *reason = why;
        }
        return false;
    };
    if (data == nullptr) {
        return fail(clipboardHoldsNoPicture());
    }
    // Text wins over a picture beside it. An empty text is no text: some sources announce a
    // text form for image data that holds nothing.
    if (data->hasText() && !data->text().isEmpty()) {
        return fail(
            QCoreApplication::translate("PictureCommands", "クリップボードの内容は文字です"));
    }
    // Picture bytes offered under an image type go through the same checked decoder as files,
    // and only through it: Qt's own picture object of such bytes shows a damaged picture's
    // missing part as black. A picture object is taken only where no bytes come with it (a
    // picture this program's own process put on the clipboard).
    // The bytes are taken first: the clipboard's data may change while a decode runs.
    QList<QByteArray> offers;
    for (const QString& format : data->formats()) {
        if (format.startsWith(QStringLiteral("image/"))) {
            offers << data->data(format);
        }
    }
    const bool bytesOffered = !offers.isEmpty();
    std::optional<QImage> image;
    QString why = clipboardHoldsNoPicture();
    for (const QByteArray& offer : offers) {
        const std::unique_ptr<PictureDecoding> decoding = PictureDecoding::ofData(offer);
        bool cancelled = false;
        image = AwaitPicture(*decoding, &picture, notice, &cancelled);
        if (cancelled) {
            return fail(QString());
        }
        why = decoding->reason();
        if (image) {
            break;
        }
    }
    if (!bytesOffered && data->hasImage()) {
        const QImage offered = qvariant_cast<QImage>(data->imageData());
        if (offered.isNull()) {
            why = clipboardHoldsNoPicture();
        } else if (offered.width() > kMaxPictureSide || offered.height() > kMaxPictureSide ||
                   qint64(offered.width()) * offered.height() > kMaxPicturePixels) {
            why = QCoreApplication::translate("PictureCommands", "画像が大きすぎます");
        } else {
            image = offered;
        }
    }
    if (!image) {
        return fail(why);
    }
    picture.setPicture(*image);
    return true;
}

void ClearPicture(PictureBox& picture) {
    picture.setAutoRedraw(true);
    picture.Cls();
    picture.setPicture(QImage());
    picture.setCurrentX(0);
    picture.setCurrentY(0);
}

std::optional<qint16> ParseCanvasSizeAnswer(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok) {
        value = QLocale::system().toDouble(trimmed, &ok);
    }
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    const double floored = std::floor(value);
    if (floored < std::numeric_limits<qint16>::min() ||
        floored > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return static_cast<qint16>(floored);
}

std::optional<QSize> AskCustomCanvasSize(UserDialogs& dialogs) {
    const std::optional<QString> heightText = dialogs.input(
        QCoreApplication::translate("PictureCommands", "高さを入力して下さい(最大480:最小100)"),
        canvasSizeTitle());
    const std::optional<qint16> height =
        heightText ? ParseCanvasSizeAnswer(*heightText) : std::nullopt;
    if (!height) {
        return std::nullopt;
    }
    const std::optional<QString> widthText = dialogs.input(
        QCoreApplication::translate("PictureCommands", "幅を入力して下さい(最大600:最小100)"),
        canvasSizeTitle());
    const std::optional<qint16> width =
        widthText ? ParseCanvasSizeAnswer(*widthText) : std::nullopt;
    if (!width) {
        return std::nullopt;
    }
    if (*height > kMaxCanvasHeight || *width > kMaxCanvasWidth || *height < kMinCanvasHeight ||
        *width < kMinCanvasWidth) {
        dialogs.message(QCoreApplication::translate("PictureCommands", "数値が不正です"),
                        canvasSizeTitle());
        return std::nullopt;
    }
    return QSize(*width, *height);
}

}  // namespace stylorex
