#include "engine/run_check.h"

#include "engine/ink_follower.h"

#include <QStringList>

namespace stylorex {

DrawMask UndrawnLinePixels(const ScanTables& tables) {
    DrawMask mask;
    mask.width = tables.MaxX + 1;
    mask.height = tables.MaxY + 1;
    mask.cells.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
    if (tables.StartPointList.empty()) {
        return mask;
    }
    for (std::size_t i = 1; tables.StartPointList[i].X >= 0; ++i) {
        const PixelPoint p = tables.StartPointList[i];
        if (tables.PixelMap(p).Undrawn) {
            mask.cells[static_cast<std::size_t>(p.Y) * mask.width + p.X] = 1;
        }
    }
    return mask;
}

RunCheck CompareTarget(const QImage& before, const QImage& after, const DrawMask& drawn,
                       std::optional<QRgb> ink, QPoint topLeft) {
    RunCheck check;
    bool anyChange = false;
    bool anyLinePixel = false;
    for (int y = 0; y < drawn.height && !ink; ++y) {
        for (int x = 0; x < drawn.width; ++x) {
            if (drawn.at(x, y) && after.pixel(x, y) != before.pixel(x, y)) {
                ink = after.pixel(x, y);
                break;
            }
        }
    }
    for (int y = 0; y < drawn.height; ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* is = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < drawn.width; ++x) {
            const bool changed = was[x] != is[x];
            anyChange = anyChange || changed;
            if (drawn.at(x, y)) {
                anyLinePixel = true;
                if (!changed && !(ink && was[x] == *ink)) {
                    check.missing.push_back(topLeft + QPoint(x, y));
                }
            } else if (changed) {
                check.extra.push_back(topLeft + QPoint(x, y));
            }
        }
    }
    if (anyLinePixel && !anyChange) {
        check.outcome = RunCheck::Outcome::NothingChanged;
        check.missing.clear();
        return check;
    }
    check.outcome = RunCheck::Outcome::Checked;
    return check;
}

namespace {

QString ReasonText(RunCheck::Outcome outcome) {
    switch (outcome) {
        case RunCheck::Outcome::OwnWindowCovers:
            return QStringLiteral("このウィンドウが描画先に重なっています");
        case RunCheck::Outcome::LeavesScreen:
            return QStringLiteral("描画先が画面からはみ出しています");
        case RunCheck::Outcome::Unreadable:
            return QStringLiteral("画面を読み取れません");
        case RunCheck::Outcome::NothingChanged:
            return QStringLiteral("描画先に変化がありません");
        case RunCheck::Outcome::None:
        case RunCheck::Outcome::Checked:
            break;
    }
    return {};
}

}  // namespace

QString CheckPanelText(const RunCheck& check) {
    QString text;
    if (check.outcome == RunCheck::Outcome::None) {
        return text;
    }
    if (check.outcome == RunCheck::Outcome::Checked) {
        text = QStringLiteral("確認: 欠け %1 / 余分 %2")
                   .arg(check.missing.size())
                   .arg(check.extra.size());
    } else {
        text = QStringLiteral("確認できません: ") + ReasonText(check.outcome);
    }
    if (check.fellBack) {
        text += QStringLiteral("（固定ウェイトに切替）");
    }
    return text;
}

QString CheckToolTip(const RunCheck& check, int waitMs) {
    if (check.outcome == RunCheck::Outcome::None) {
        return {};
    }
    QStringList lines{CheckPanelText(check)};
    switch (check.outcome) {
        case RunCheck::Outcome::None:
            break;
        case RunCheck::Outcome::Checked:
            lines << QStringLiteral("描画後に描画先の画面を読み取り、線の画素と比べました。");
            if (!check.missing.empty()) {
                if (check.followed) {
                    lines << QStringLiteral(
                                 "欠け: 描き直し %1 回の後も描かれていない線の画素です。")
                                 .arg(check.mendPasses);
                } else {
                    lines << QStringLiteral(
                        "欠け: 描かれていない線の画素です。描画先が追いつく前に次へ進んだため"
                        "です。設定メニューの「描画を確かめながら進む」をオンにすると、描画先が"
                        "描き終えるのを確かめながら進み、欠けを描き直します。");
                }
            }
            if (!check.extra.empty()) {
                lines << QStringLiteral("余分: 線の外に描かれた画素です。取り消せません。");
            }
            break;
        case RunCheck::Outcome::OwnWindowCovers:
            lines << QStringLiteral(
                "Stylorex のウィンドウが描画先の範囲に重なっているため確認できません。"
                "ウィンドウを描画先の横に並べてください。");
            break;
        case RunCheck::Outcome::LeavesScreen:
            lines << QStringLiteral(
                "出力開始座標と画像の大きさで決まる範囲が画面からはみ出して"
                "いるため確認できません。");
            break;
        case RunCheck::Outcome::Unreadable:
            lines << QStringLiteral("画面を読み取れないため確認できません。");
            break;
        case RunCheck::Outcome::NothingChanged:
            lines << QStringLiteral(
                "描画の前と後で描画先の範囲に何の変化もありませんでした。描画先のウィンドウ、"
                "ペンの色、出力開始座標を確かめてください。");
            break;
    }
    if (check.fellBack) {
        lines << QStringLiteral(
                     "描画先に %1 回続けて %2ms 以内に描画が現れなかったため、残りは"
                     "固定ウェイト (%3ms) で描きました。")
                     .arg(InkFollower::kGiveUpsBeforeFallBack)
                     .arg(InkFollower::kLimit.count())
                     .arg(waitMs);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace stylorex
