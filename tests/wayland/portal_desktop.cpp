#include "tests/wayland/portal_desktop.h"

#include "os/dbus/session_bus.h"
#include "os/gnome/mutter_remote_desktop.h"
#include "os/gnome/pipewire_capture.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

namespace stylorex::testing {

namespace {

using std::chrono::milliseconds;

// GNOME's accent blue: the dialog's 共有 button, and its switch once it is on.
bool IsAccent(QRgb pixel) {
    return std::abs(qRed(pixel) - 53) <= 3 && std::abs(qGreen(pixel) - 132) <= 3 &&
           std::abs(qBlue(pixel) - 228) <= 3;
}

// The trough of a switch that is off, on the white of its row.
bool IsOffTrough(QRgb pixel) {
    return std::abs(qRed(pixel) - 225) <= 3 && qRed(pixel) == qGreen(pixel) &&
           qGreen(pixel) == qBlue(pixel);
}

QRect AccentIn(const QImage& frame, const QRect& within) {
    QRect found;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            if (IsAccent(frame.pixel(x, y))) {
                found |= QRect(x, y, 1, 1);
            }
        }
    }
    return found;
}

// How many pixels of `rect` are the strong blue of a button or a switch that is on (the
// desktop's own blue is darker).
int BluishShare(const QImage& frame, const QRect& rect) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QRgb pixel = frame.pixel(x, y);
            count += qBlue(pixel) > 180 && qBlue(pixel) - qRed(pixel) > 100 ? 1 : 0;
        }
    }
    return count;
}

// The dialog's キャンセル: the header's first button, at the left end of 共有's row.
QPoint CancelButton(const QImage& frame, const QRect& share) {
    const int y = share.center().y();
    int left = share.left();
    while (left > 0 && qRed(frame.pixel(left - 1, y)) > 150) {
        --left;
    }
    return {left + share.width() / 2, y};
}

// The 共有 button: the only accent on the screen while the dialog's switch is off.
std::optional<QRect> ShareButton(const QImage& frame) {
    const QRect accent = AccentIn(frame, frame.rect());
    if (accent.width() < 30 || accent.height() < 15 || accent.width() > 200 ||
        accent.height() > 60) {
        return std::nullopt;
    }
    return accent;
}

// The switch below the button: the row pieces of its trough, short runs of its grey (the
// rows' own borders are single pixels or run the row's whole width).
std::optional<QRect> InteractionSwitch(const QImage& frame, const QRect& share) {
    QRect found;
    const int left = std::max(0, share.left() - 150);
    for (int y = share.bottom() + 1; y < frame.height(); ++y) {
        int run = 0;
        for (int x = left; x <= share.right() + 1 && x < frame.width(); ++x) {
            if (x <= share.right() && IsOffTrough(frame.pixel(x, y))) {
                ++run;
                continue;
            }
            if (run >= 12 && run <= 60) {
                found |= QRect(x - run, y, run, 1);
            }
            run = 0;
        }
    }
    if (found.height() < 10) {
        return std::nullopt;
    }
    return found;
}

}  // namespace

struct HeadlessMutterBehindPortal::Hand {
    std::thread thread;
};

HeadlessMutterBehindPortal::HeadlessMutterBehindPortal(PortalAnswer answer) {
    if (running()) {
        goBehindPortal();
    }
    hand_ = std::make_unique<Hand>();
    hand_->thread = std::thread([this, answer] { answerDialogs(answer); });
}

void HeadlessMutterBehindPortal::goBehindPortal() {
    // The bus starts the portal and its GNOME backend on first use, with the session's
    // variables, as a desktop session's start-up hands them to it.
    qDBusRegisterMetaType<QMap<QString, QString>>();
    const std::shared_ptr<SessionBus> bus =
        SessionBus::open(QString::fromStdString(bus_->address()));
    ASSERT_NE(bus, nullptr);
    QMap<QString, QString> variables;
    for (const char* name : {"WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "XDG_CURRENT_DESKTOP"}) {
        variables.insert(QString::fromLatin1(name), qEnvironmentVariable(name));
    }
    variables.insert(QStringLiteral("HOME"), QString::fromStdString(folder_ + "/home"));
    variables.insert(QStringLiteral("XDG_CONFIG_HOME"),
                     QString::fromStdString(folder_ + "/config"));
    variables.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
    QDBusMessage update = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
    update.setArguments({QVariant::fromValue(variables)});
    const QDBusMessage updated = bus->call(update);
    ASSERT_EQ(updated.type(), QDBusMessage::ReplyMessage) << DBusErrorText(updated).toStdString();

    // A sandbox's view of the bus: the portal, nothing else.
    const std::string proxy = runtime_ + "/bus-proxy";
    ASSERT_TRUE(start(
        "dbus-proxy",
        {"xdg-dbus-proxy", bus_->address(), proxy, "--filter", "--talk=org.freedesktop.portal.*"},
        {}));
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(proxy); }, std::chrono::seconds(10)))
        << log();
    setEnvironment("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString("unix:path=" + proxy));
}

HeadlessMutterBehindPortal::~HeadlessMutterBehindPortal() {
    stopping_ = true;
    if (hand_ != nullptr && hand_->thread.joinable()) {
        hand_->thread.join();
    }
}

void HeadlessMutterBehindPortal::answerDialogs(PortalAnswer answer) {
    std::unique_ptr<MutterRemoteDesktop> remote;
    std::unique_ptr<PipeWireCapture> eyes;
    // A screen cast opened while the session's PipeWire is still starting may never bring a
    // frame: then the hand opens another.
    const auto openEyes = [&] {
        eyes.reset();
        QString error;
        remote = MutterRemoteDesktop::open(
            SessionBus::open(QString::fromStdString(bus_->address())), &error);
        ASSERT_NE(remote, nullptr) << error.toStdString();
        eyes = PipeWireCapture::open(remote->pipeWireNode(), -1, &error);
        ASSERT_NE(eyes, nullptr) << error.toStdString();
    };
    openEyes();
    if (eyes == nullptr) {
        return;
    }
    const QRect screen(QPoint(0, 0), remote->monitor().size());
    const auto look = [&] {
        for (int tries = 0; eyes != nullptr && !stopping_; ++tries) {
            QImage frame = eyes->frame(screen, milliseconds(100), milliseconds(1000));
            if (!frame.isNull() || tries == 5) {
                return frame;
            }
            openEyes();
        }
        return QImage();
    };
    const auto click = [&](QPoint at) {
        remote->motion(at);
        std::this_thread::sleep_for(milliseconds(100));
        remote->button(true);
        remote->button(false);
    };
    // Whether the screen comes to show `done` within `limit`; false too when the desktop ends.
    const auto until = [&](const std::function<bool(const QImage&)>& done, milliseconds limit) {
        return WaitUntil([&] { return stopping_ || done(look()); }, limit) && !stopping_;
    };

    // The dialog as it stands: the same 共有 button in two looks a moment apart (the desktop
    // animates a new window into place, and a click during that may go astray).
    const auto settledDialog = [&]() -> std::optional<std::pair<QImage, QRect>> {
        const QImage first = look();
        const std::optional<QRect> share = first.isNull() ? std::nullopt : ShareButton(first);
        if (!share) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(milliseconds(300));
        QImage again = look();
        if (again.isNull() || ShareButton(again) != share) {
            return std::nullopt;
        }
        return std::make_pair(std::move(again), *share);
    };
    // Clicks `at` until the screen shows `done`, a few times: a toolkit that has just shown a
    // window may not take the first click.
    const auto clickUntil = [&](QPoint at, const std::function<bool(const QImage&)>& done) {
        for (int clicks = 0; clicks < 3 && !stopping_; ++clicks) {
            click(at);
            if (until(done, milliseconds(3000))) {
                return true;
            }
        }
        return false;
    };

    while (!stopping_) {
        const auto dialog = settledDialog();
        if (!dialog) {
            std::this_thread::sleep_for(milliseconds(100));
            continue;
        }
        const auto& [frame, share] = *dialog;
        bool agreed = true;
        if (answer == PortalAnswer::ShareWithInteraction) {
            const std::optional<QRect> toggle = InteractionSwitch(frame, share);
            agreed = toggle && clickUntil(toggle->center(), [&](const QImage& now) {
                         return BluishShare(now, *toggle) > toggle->width() * toggle->height() / 4;
                     });
            if (!agreed && !stopping_) {
                ADD_FAILURE() << "the dialog's remote interaction switch "
                              << (toggle ? "did not turn on" : "is not on the screen");
            }
        }
        // A dialog that cannot be answered as asked is cancelled: the program's wait ends.
        if (!clickUntil(agreed ? share.center() : CancelButton(frame, share),
                        [&](const QImage& now) { return BluishShare(now, share) == 0; })) {
            EXPECT_TRUE(stopping_) << "the dialog did not go";
            return;
        }
        // The pointer stays where the hand left it: a move now would be one in the run it
        // has allowed.
        ++answered_;
    }
}

}  // namespace stylorex::testing
