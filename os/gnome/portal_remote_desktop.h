#pragma once

#include "os/gnome/remote_input.h"
#include "os/system_session.h"

#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace stylorex {

class SessionBus;

// A remote desktop session through the desktop portal (org.freedesktop.portal.RemoteDesktop
// with a ScreenCast source), where the compositor's own interface is not reachable: the
// portal asks the user to approve the session in a dialog of its own, each time one is opened.
// The program says so before the dialog appears, and what to choose in it.
class PortalRemoteDesktop : public RemoteInput {
  public:
    // Null, with the reason in `error`, when the portal refuses, the user declines, or shares
    // the screen without letting the program drive the pointer. `notice` is told
    // PortalApprovalNotice() before the dialog appears (stderr when it is empty).
    static std::unique_ptr<PortalRemoteDesktop> open(std::shared_ptr<SessionBus> bus,
                                                     const ApprovalNotice& notice, QString* error);
    // Closes the session.
    ~PortalRemoteDesktop() override;
    PortalRemoteDesktop(const PortalRemoteDesktop&) = delete;
    PortalRemoteDesktop& operator=(const PortalRemoteDesktop&) = delete;

    QRect monitor() const override { return monitor_; }
    void motion(QPoint at) override;
    void button(bool pressed) override;
    std::uint32_t pipeWireNode() const override { return node_; }
    int pipeWireFd() const override { return fd_; }

  private:
    explicit PortalRemoteDesktop(std::shared_ptr<SessionBus> bus) : bus_(std::move(bus)) {}
    // A portal request: the call, then the Response signal it brings; the results, or nothing
    // with the reason in `error`.
    std::optional<QVariantMap> request(const QString& interface, const QString& method,
                                       QVariantList arguments, QVariantMap options, QString* error);
    void notify(const QString& method, const QVariantList& arguments);

    std::shared_ptr<SessionBus> bus_;
    QString session_;
    QRect monitor_;
    std::uint32_t node_ = 0;
    int fd_ = -1;
};

// What the program says before the portal's dialog appears.
QString PortalApprovalNotice();

}  // namespace stylorex
