#pragma once

#include "os/gnome/remote_input.h"

#include <QString>

#include <memory>

namespace stylorex {

class SessionBus;

// Mutter's remote desktop over its own D-Bus interfaces (org.gnome.Mutter.RemoteDesktop and
// .ScreenCast), as GNOME's own remote desktop and the desktop portal use them: a remote
// desktop session with a screen cast of the primary monitor attached, the pointer's position
// sent with the cast as metadata rather than drawn into it. Mutter asks the user nothing.
class MutterRemoteDesktop : public RemoteInput {
  public:
    // Null, with the reason in `error`, when Mutter refuses a step.
    static std::unique_ptr<MutterRemoteDesktop> open(std::shared_ptr<SessionBus> bus,
                                                     QString* error);
    // Ends the session.
    ~MutterRemoteDesktop() override;
    MutterRemoteDesktop(const MutterRemoteDesktop&) = delete;
    MutterRemoteDesktop& operator=(const MutterRemoteDesktop&) = delete;

    QRect monitor() const override { return monitor_; }
    void motion(QPoint at) override;
    void button(bool pressed) override;
    std::uint32_t pipeWireNode() const override { return node_; }

  private:
    explicit MutterRemoteDesktop(std::shared_ptr<SessionBus> bus) : bus_(std::move(bus)) {}
    void notify(const QString& method, const QVariantList& arguments);

    std::shared_ptr<SessionBus> bus_;
    QString session_;
    QString stream_;
    QRect monitor_;
    std::uint32_t node_ = 0;
};

}  // namespace stylorex
