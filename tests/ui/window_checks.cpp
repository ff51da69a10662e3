#include "tests/ui/window_checks.h"

#include "canvas/picture_box.h"
#include "canvas/picture_fit.h"
#include "engine/run_check.h"
#include "tests/support/named_child.h"
#include "ui/dlg_setting.h"
#include "ui/frm_graph.h"
#include "ui/picture_commands.h"
#include "ui/picture_placement.h"
#include "ui/run_panels.h"
#include "ui/run_report.h"
#include "ui/status_panel.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTest>

#include <chrono>
#include <utility>
#include <vector>

namespace stylorex {

namespace {

QString Name(const QWidget& widget) {
    return widget.objectName();
}

// A panel shows `text` whole, or cut short with its whole text in the tool tip (`mayCut`).
void CheckPanel(const StatusPanel& panel, const QString& text, bool mayCut, QStringList& cut) {
    if (panel.wholeText() != text) {
        cut << Name(panel) + QStringLiteral(": shows ") + panel.wholeText() +
                   QStringLiteral(" instead of ") + text;
        return;
    }
    const int room = panel.contentsRect().width();
    if (panel.fontMetrics().horizontalAdvance(panel.text()) > room) {
        cut << Name(panel) + QStringLiteral(": cut: ") + text;
    } else if (!panel.showsWholeText() && (!mayCut || !panel.toolTip().contains(text) ||
                                           !panel.text().endsWith(QChar(0x2026)))) {
        cut << Name(panel) + QStringLiteral(": not whole: ") + panel.text();
    }
}

}  // namespace

QStringList CutDynamicTexts(frmGraph& window) {
    QStringList cut;
    const auto panel = [&window](int n) {
        const QByteArray name = QStringLiteral("StatusBar1_panel%1").arg(n).toUtf8();
        return NamedChild<StatusPanel>(window, name.constData());
    };
    const auto shown = [&](int n, bool mayCut = false) {
        CheckPanel(*panel(n), window.statusPanel(n), mayCut, cut);
    };

    SettingVariables mode;
    mode.PickUpPattern = 1;
    mode.BlackUpper = 255;
    for (int pattern : {1, 2}) {
        mode.PickUpPattern = pattern;
        window.setStatusPanel(1, StartupExtractionModeText(mode));
        shown(1);
        window.setStatusPanel(1, DialogExtractionModeText(mode));
        shown(1);
    }
    mode.ColourMode = 1;
    window.setStatusPanel(1, StartupExtractionModeText(mode));
    shown(1);

    WindowRunReport report(window, 7);
    for (RunPhase phase :
         {RunPhase::Preparing, RunPhase::Drawing, RunPhase::Completed, RunPhase::Aborted}) {
        report.phaseChanged(phase);
        shown(2);
    }
    report.waitingForKeysUp();
    shown(2);
    window.setStatusPanel(2, LoadingStatusText());
    shown(2);
    window.captureOrigin();
    shown(2);

    // Five digits whole; a count beyond a canvas's worth of pixels' half may be cut short.
    constexpr int kMostStrokes = 144000;
    const RunProgress last{kMostStrokes, kMostStrokes, std::chrono::hours(3)};
    for (const auto& [strokes, mayCut] : {std::pair{99999, false}, std::pair{kMostStrokes, true}}) {
        report.progressed({strokes, kMostStrokes, last.timeLeft});
        shown(3, mayCut);
    }
    window.SetCanvasSize(480, 600);
    shown(4);

    report.fellBackToFixedWait();
    shown(5, true);
    report.checking();
    shown(5);
    RunCheck check;
    check.outcome = RunCheck::Outcome::Checked;
    check.missing.resize(12345);
    check.extra.resize(12345);
    report.checked(check);
    shown(5, true);
    for (RunCheck::Outcome outcome :
         {RunCheck::Outcome::OwnWindowCovers, RunCheck::Outcome::LeavesScreen,
          RunCheck::Outcome::Unreadable, RunCheck::Outcome::NothingChanged}) {
        check.outcome = outcome;
        check.fellBack = true;
        report.checked(check);
        shown(5, true);
    }

    // The plan of a picture whose every other pixel is a stroke of its own.
    auto* plan = NamedChild<StatusPanel>(window, "StatusBar1_plan");
    const QString planBefore = plan->wholeText();
    QImage dots(600, 480, QImage::Format_RGB32);
    dots.fill(Qt::white);
    for (int y = 0; y < dots.height(); y += 2) {
        for (int x = 0; x < dots.width(); x += 2) {
            dots.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    NamedChild<PictureBox>(window, "picSRC")->setPicture(dots);
    if (!QTest::qWaitFor([&] { return plan->wholeText() != planBefore; }, 20000)) {
        cut << QStringLiteral("no plan came");
    }
    CheckPanel(*plan, plan->wholeText(), true, cut);

    NamedChild<RunPanels>(window, "runPanels")->showProgress(last);
    auto* progress = NamedChild<QProgressBar>(window, "StatusBar1_progress");
    const QFontMetrics barFont = progress->fontMetrics();
    const int barRoom = progress->width() - 4;
    if (barFont.horizontalAdvance(ResumeHintText()) > barRoom) {
        cut << QStringLiteral("progress: cut: ") + ResumeHintText();
    }
    if (barFont.horizontalAdvance(progress->format()) > barRoom ||
        progress->toolTip() != ProgressText(last)) {
        cut << QStringLiteral("progress: cut: ") + progress->format();
    }

    auto* statusBar = NamedChild<QStatusBar>(window, "StatusBar1");
    const QSize largest(600, 480);
    const QSize huge(9999, 9999);
    for (const QString& notice :
         {CropNoticeText(largest, huge), FitNoticeText(largest, largest, huge),
          BlankCanvasPickText(), CanvasFromPictureText(largest),
          ShrunkPictureText(largest, huge)}) {
        // The bar draws its message with six pixels to its left and twelve to its right.
        if (statusBar->fontMetrics().horizontalAdvance(notice) > statusBar->width() - 18) {
            cut << QStringLiteral("status bar: cut: ") + notice;
        }
    }
    return cut;
}

QStringList OverlapsAndOverflows(const frmGraph& window) {
    QStringList found;
    const QWidget* client = NamedChild<QWidget>(window, "clientArea");
    std::vector<const QWidget*> panels;
    for (const char* name : {"FrameG", "VBar", "HBar", "Frame1", "Frame2"}) {
        panels.push_back(NamedChild<QWidget>(window, name));
    }
    for (std::size_t i = 0; i < panels.size(); ++i) {
        // The design's bottom panel is two pixels wider than the client area; what counts is
        // that nothing is pushed out at the foot.
        if (panels[i]->geometry().bottom() >= client->height()) {
            const QRect at = panels[i]->geometry();
            found << Name(*panels[i]) +
                         QStringLiteral(" (%1,%2 %3x%4) leaves the client area (%5x%6) at its foot")
                             .arg(at.x())
                             .arg(at.y())
                             .arg(at.width())
                             .arg(at.height())
                             .arg(client->width())
                             .arg(client->height());
        }
        for (std::size_t j = i + 1; j < panels.size(); ++j) {
            if (panels[i]->geometry().intersects(panels[j]->geometry())) {
                found << Name(*panels[i]) + QStringLiteral(" overlaps ") + Name(*panels[j]);
            }
        }
    }
    for (const char* name : {"StatusBar1", "StatusBar2"}) {
        const QWidget* row = NamedChild<QWidget>(window, name);
        if (!window.rect().contains(QRect(row->mapTo(&window, QPoint(0, 0)), row->size()))) {
            found << QString::fromUtf8(name) + QStringLiteral(" leaves the window");
        }
    }
    if (const QScreen* screen = window.screen();
        screen != nullptr && !screen->availableGeometry().contains(window.frameGeometry())) {
        found << QStringLiteral("the window leaves the screen");
    }
    return found;
}

}  // namespace stylorex
