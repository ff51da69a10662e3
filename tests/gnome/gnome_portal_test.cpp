// Drawing through the desktop portal, as a program that cannot reach Mutter's own interface
// (a sandboxed one) does on GNOME: the real portal and GNOME's portal backend with its approval
// dialog, answered on the screen by a hand of the test's own.
#include "os/gnome/portal_remote_desktop.h"
#include "os/session_choice.h"
#include "tests/wayland/desktop_run.h"
#include "tests/wayland/portal_desktop.h"
#include "tests/wayland/screen_events.h"
#include "tests/x11/program_window.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace stylorex::testing {
namespace {

class GnomePortalRun : public DesktopRun {
  protected:
    virtual PortalAnswer answer() const { return PortalAnswer::ShareWithInteraction; }
    std::unique_ptr<HeadlessDesktop> startDesktop() override {
        return std::make_unique<HeadlessMutterBehindPortal>(answer());
    }
    int dialogsAnswered() const {
        return static_cast<HeadlessMutterBehindPortal&>(*desktop).dialogsAnswered();
    }
};

TEST_F(GnomePortalRun, AnApprovedSessionDrawsLineArtExactlyAndChecksIt) {
    engineDrawsExactlyAndChecks();
    EXPECT_EQ(dialogsAnswered(), 1);
}

// With the settings a user has: following the target, which through the portal learns that
// the compositor takes its moves later than the portal answers, and may hand a move again:
// what counts is the client's ink, and the command's own check.
TEST_F(GnomePortalRun, TheDrawCommandSaysWhatToChooseBeforeTheDialogThenDrawsExactly) {
    open();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("art.png"));
    const QImage art = LineArt(200);
    ASSERT_TRUE(art.save(file, "PNG"));
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(STYLOREX_PROGRAM),
                  {QStringLiteral("draw"), file, QStringLiteral("--at"),
                   QStringLiteral("%1,%2").arg(origin().x()).arg(origin().y()),
                   QStringLiteral("--json"), QStringLiteral("--yes")});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString said = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 0) << said.toStdString();
    EXPECT_TRUE(said.contains(PortalApprovalNotice())) << said.toStdString();
    EXPECT_EQ(dialogsAnswered(), 2);
    const QImage shown = client->shownCanvas().copy(QRect(origin() - windowAt, art.size()));
    EXPECT_EQ(DarkPixels(shown), DarkPixels(art)) << Describe(OnScreen(client->events(), windowAt));
    const QJsonObject summary = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    EXPECT_TRUE(summary.value(QStringLiteral("exact")).toBool());
    const QJsonObject check = summary.value(QStringLiteral("check")).toObject();
    EXPECT_EQ(check.value(QStringLiteral("missing")).toInt(-1), 0);
    EXPECT_EQ(check.value(QStringLiteral("extra")).toInt(-1), 0);
}

class GnomePortalScreenOnly : public GnomePortalRun {
  protected:
    PortalAnswer answer() const override { return PortalAnswer::ShareScreenOnly; }
};

TEST_F(GnomePortalScreenOnly, SharingTheScreenWithoutThePointerIsRefusedWithWhatToTurnOn) {
    QString error;
    const SystemSession refused = OpenSystemSession(&error);
    EXPECT_EQ(refused.pointer, nullptr);
    EXPECT_EQ(refused.screen, nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("Allow remote interaction"))) << error.toStdString();
    EXPECT_TRUE(WaitUntil([&] { return dialogsAnswered() == 1; }, std::chrono::seconds(10)));
}

}  // namespace
}  // namespace stylorex::testing
