#include "ui/picture_commands.h"

#include "canvas/picture_box.h"
#include "common/user_dialogs.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>

#include <cmath>
#include <limits>

namespace stylorex {

namespace {

constexpr int kMinCanvasHeight = 100;
constexpr int kMaxCanvasHeight = kLargestCanvasHeight;
constexpr int kMinCanvasWidth = 100;
constexpr int kMaxCanvasWidth = kLargestCanvasWidth;

const QString kCanvasSizeTitle = QStringLiteral("キャンバスサイズ変更");

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
        {QStringLiteral("すべてのﾋﾟｸﾁｬﾌｧｲﾙ"),
         {"*.ico", "*.jpeg", "*.gif", "*.jpg", "*.bmp", "*.dib", "*.wmf", "*.emf", "*.cur",
          "*.png"}},
        {QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp,*.dib)"), {"*.bmp", "*.dib"}},
        {QStringLiteral("JPEG(*.jpg,*.jpeg)"), {"*.jpg", "*.jpeg"}},
        {QStringLiteral("GIF(*.gif)"), {"*.gif"}},
        {QStringLiteral("ｱｲｺﾝ(*.ico,*.cur)"), {"*.ico", "*.cur"}},
        {QStringLiteral("ﾒﾀﾌｧｲﾙ(*.wmf,*.emf)"), {"*.wmf", "*.emf"}},
        {QStringLiteral("すべてのﾌｧｲﾙ(*.*)"), {"*.*"}},
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

bool LoadPictureFromDialog(PictureBox& picture, QString& lastChosenFile, QWidget* dialogParent) {
    QFileDialog dialog(dialogParent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QString filter = PictureFileFilter();
    dialog.setNameFilters(filter.split(QStringLiteral(";;")));
    dialog.selectNameFilter(filter.section(QStringLiteral(";;"), 0, 0));
    if (!lastChosenFile.isEmpty()) {
        const QFileInfo last(lastChosenFile);
        dialog.setDirectory(last.absolutePath());
        dialog.selectFile(last.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    lastChosenFile = chosen;
    const std::optional<QImage> image = DecodePictureFile(chosen);
    if (!image) {
        return false;
    }
    picture.setPicture(*image);
    return true;
}

bool PastePicture(PictureBox& picture) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr && PastePicture(picture, clipboard->mimeData());
}

bool PastePicture(PictureBox& picture, const QMimeData* data) {
    if (data == nullptr) {
        return false;
    }
    // Text wins over a picture beside it. An empty text is no text: some sources announce a
    // text form for image data that holds nothing.
    if (data->hasText() && !data->text().isEmpty()) {
        return false;
    }
    // Picture bytes offered under an image type go through the same checked decoder as files;
    // a picture object is taken when no such bytes decode.
    std::optional<QImage> image;
    for (const QString& format : data->formats()) {
        if (format.startsWith(QStringLiteral("image/"))) {
            image = DecodePictureData(data->data(format));
            if (image) {
                break;
            }
        }
    }
    if (!image && data->hasImage()) {
        const QImage offered = qvariant_cast<QImage>(data->imageData());
        if (!offered.isNull() && offered.width() <= kMaxPictureSide &&
            offered.height() <= kMaxPictureSide &&
            qint64(offered.width()) * offered.height() <= kMaxPicturePixels) {
            image = offered;
        }
    }
    if (!image) {
        return false;
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
    const std::optional<QString> heightText =
        dialogs.input(QStringLiteral("高さを入力して下さい(最大480:最小100)"), kCanvasSizeTitle);
    const std::optional<qint16> height =
        heightText ? ParseCanvasSizeAnswer(*heightText) : std::nullopt;
    if (!height) {
        return std::nullopt;
    }
    const std::optional<QString> widthText =
        dialogs.input(QStringLiteral("幅を入力して下さい(最大600:最小100)"), kCanvasSizeTitle);
    const std::optional<qint16> width =
        widthText ? ParseCanvasSizeAnswer(*widthText) : std::nullopt;
    if (!width) {
        return std::nullopt;
    }
    if (*height > kMaxCanvasHeight || *width > kMaxCanvasWidth || *height < kMinCanvasHeight ||
        *width < kMinCanvasWidth) {
        dialogs.message(QStringLiteral("数値が不正です"), kCanvasSizeTitle);
        return std::nullopt;
    }
    return QSize(*width, *height);
}

}  // namespace stylorex
