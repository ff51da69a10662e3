#include "run/run_texts.h"

#include "engine/ink_follower.h"
#include "engine/palette.h"

#include <QCoreApplication>
#include <QStringList>

namespace stylorex {

namespace {

QString ReasonText(RunCheck::Outcome outcome) {
    switch (outcome) {
        case RunCheck::Outcome::OwnWindowCovers:
            return QCoreApplication::translate("RunTexts",
                                               "このウィンドウが描画先に重なっています");
        case RunCheck::Outcome::LeavesScreen:
            return QCoreApplication::translate("RunTexts", "描画先が画面からはみ出しています");
        case RunCheck::Outcome::Unreadable:
            return QCoreApplication::translate("RunTexts", "画面を読み取れません");
        case RunCheck::Outcome::NothingChanged:
            return QCoreApplication::translate("RunTexts", "描画先に変化がありません");
        case RunCheck::Outcome::None:
        case RunCheck::Outcome::Checked:
            break;
    }
    return {};
}

}  // namespace

QString KeysHeldText() {
    return QCoreApplication::translate("RunTexts", "キーを離してください");
}

QString CheckingText() {
    return QCoreApplication::translate("RunTexts", "確認中…");
}

QString CheckPanelText(const RunCheck& check) {
    QString text;
    if (check.outcome == RunCheck::Outcome::None) {
        return text;
    }
    if (check.outcome == RunCheck::Outcome::Checked) {
        text = check.tolerance > 0
                   ? QCoreApplication::translate("RunTexts", "確認（±%3px）: 欠け %1 / 余分 %2")
                         .arg(check.missing.size())
                         .arg(check.extra.size())
                         .arg(check.tolerance)
                   : QCoreApplication::translate("RunTexts", "確認: 欠け %1 / 余分 %2")
                         .arg(check.missing.size())
                         .arg(check.extra.size());
    } else {
        text =
            QCoreApplication::translate("RunTexts", "確認できません: ") + ReasonText(check.outcome);
    }
    if (check.fellBack) {
        text += QCoreApplication::translate("RunTexts", "（固定ウェイトに切替）");
    }
    return text;
}

QString InkTallyText(const RunCheck::InkTally& tally) {
    return QCoreApplication::translate("RunTexts", "%1: 欠け %2 / 余分 %3")
        .arg(HexColourText(tally.ink))
        .arg(tally.missing)
        .arg(tally.extra);
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
            lines << QCoreApplication::translate(
                "RunTexts", "描画後に描画先の画面を読み取り、線の画素と比べました。");
            if (check.tolerance > 0) {
                lines << QCoreApplication::translate(
                             "RunTexts",
                             "ペンが 1 ピクセルちょうどではないため、%1 ピクセル以内のずれと"
                             "薄いにじみは欠けにも余分にも数えません。")
                             .arg(check.tolerance);
            }
            if (!check.missing.empty()) {
                if (check.followed) {
                    lines << QCoreApplication::translate(
                                 "RunTexts",
                                 "欠け: 描き直し %1 回の後も描かれていない線の画素です。")
                                 .arg(check.mendPasses);
                } else {
                    lines << QCoreApplication::translate(
                        "RunTexts",
                        "欠け: 描かれていない線の画素です。描画先が追いつく前に次へ進んだため"
                        "です。設定メニューの「描画を確かめながら進む」をオンにすると、描画先が"
                        "描き終えるのを確かめながら進み、欠けを描き直します。");
                }
            }
            if (!check.extra.empty()) {
                lines << QCoreApplication::translate(
                    "RunTexts", "余分: 線の外に描かれた画素です。取り消せません。");
            }
            if (!check.inks.empty()) {
                lines << QCoreApplication::translate(
                    "RunTexts",
                    "色ごと（別の色で描かれた画素は、その色の欠けと、描かれた"
                    "色の余分に数えます）:");
                for (const RunCheck::InkTally& ink : check.inks) {
                    lines << InkTallyText(ink);
                }
            }
            break;
        case RunCheck::Outcome::OwnWindowCovers:
            lines << QCoreApplication::translate(
                "RunTexts",
                "Stylorex のウィンドウが描画先の範囲に重なっているため確認できません。"
                "ウィンドウを描画先の横に並べてください。");
            break;
        case RunCheck::Outcome::LeavesScreen:
            lines << QCoreApplication::translate(
                "RunTexts",
                "出力開始座標と画像の大きさで決まる範囲が画面からはみ出して"
                "いるため確認できません。");
            break;
        case RunCheck::Outcome::Unreadable:
            lines << QCoreApplication::translate("RunTexts",
                                                 "画面を読み取れないため確認できません。");
            break;
        case RunCheck::Outcome::NothingChanged:
            lines << QCoreApplication::translate(
                "RunTexts",
                "描画の前と後で描画先の範囲に何の変化もありませんでした。描画先のウィンドウ、"
                "ペンの色、出力開始座標を確かめてください。");
            break;
    }
    if (check.fellBack) {
        lines << QCoreApplication::translate(
                     "RunTexts",
                     "描画先に %1 回続けて %2ms 以内に描画が現れなかったため、残りは"
                     "固定ウェイト (%3ms) で描きました。")
                     .arg(InkFollower::kGiveUpsBeforeFallBack)
                     .arg(InkFollower::kLimit.count())
                     .arg(waitMs);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace stylorex
