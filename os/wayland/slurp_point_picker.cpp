#include "os/wayland/slurp_point_picker.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

namespace stylorex {

namespace {

// slurp's words, on stderr with exit status 1, when the user pressed Esc in the overlay.
constexpr char kCancelled[] = "selection cancelled";

PointPicker::Result ResultOf(QProcess& process) {
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    const QString err = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        const QStringList parts = out.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool xOk = false;
        bool yOk = false;
        const int x = parts.size() == 2 ? parts[0].toInt(&xOk) : 0;
        const int y = parts.size() == 2 ? parts[1].toInt(&yOk) : 0;
        if (xOk && yOk) {
            return {QPoint(x, y), {}};
        }
    } else if (process.exitStatus() == QProcess::NormalExit && err == QLatin1String(kCancelled)) {
        return {};
    }
    return {std::nullopt,
            QCoreApplication::translate("SlurpPointPicker", "座標を選べませんでした（slurp: %1）。")
                .arg(err.isEmpty() ? out : err)};
}

}  // namespace

SlurpPointPicker::SlurpPointPicker() = default;

SlurpPointPicker::~SlurpPointPicker() {
    if (process_) {
        process_->disconnect();
        process_->kill();
        process_->waitForFinished(1000);
    }
}

bool SlurpPointPicker::pick(Done done) {
    if (process_) {
        return false;
    }
    done_ = std::move(done);
    process_ = std::make_unique<QProcess>();
    QProcess* process = process_.get();
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [this, process] { finish(ResultOf(*process)); });
    QObject::connect(
        process, &QProcess::errorOccurred, process, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
                finish({std::nullopt,
                        QCoreApplication::translate("SlurpPointPicker",
                                                    "座標を選ぶためのプログラム slurp を起動でき"
                                                    "ません。slurp をインストールしてください。")});
            }
        });
    process->start(QStringLiteral("slurp"),
                   {QStringLiteral("-p"), QStringLiteral("-f"), QStringLiteral("%x %y")});
    return true;
}

void SlurpPointPicker::finish(const Result& result) {
    if (!process_) {
        return;
    }
    // The process object is still inside its own signal: it goes once that has returned.
    process_->disconnect();
    process_.release()->deleteLater();
    Done done = std::move(done_);
    done_ = nullptr;
    done(result);
}

}  // namespace stylorex
