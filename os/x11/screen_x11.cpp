#include "os/x11/screen_x11.h"

#include "os/x11/x11_connections.h"

#include <QByteArray>
#include <QCoreApplication>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

// Xlib after every Qt header: its macros would clash with Qt's.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace stylorex {

namespace {

// One channel of an X pixel as 0 to 255, whatever its mask.
int Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1UL) == 0) {
        ++shift;
    }
    const unsigned long max = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255UL / max);
}

QRgb ToRgb(const XImage* image, unsigned long pixel) {
    return qRgb(Channel(pixel, image->red_mask), Channel(pixel, image->green_mask),
                Channel(pixel, image->blue_mask));
}

// Copies an X image into an RGB32 picture: row by row when its pixels already have that
// layout (32 bits, 8-bit channels as 0x00RRGGBB, the byte order of this machine), else pixel by
// pixel through the masks.
QImage ToQImage(XImage* image, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    const bool direct =
        image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
        image->blue_mask == 0xFF &&
        image->byte_order == (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? LSBFirst : MSBFirst);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        if (direct) {
            const auto* source =
                reinterpret_cast<const quint32*>(image->data + y * image->bytes_per_line);
            for (int x = 0; x < width; ++x) {
                line[x] = source[x] | 0xFF000000U;
            }
        } else {
            for (int x = 0; x < width; ++x) {
                line[x] = ToRgb(image, XGetPixel(image, x, y));
            }
        }
    }
    return picture;
}

// Set while XShmAttach is tried: a server that cannot reach our memory answers with an error,
// which must not end the program.
bool attachFailed = false;
int NoteAttachError(Display*, XErrorEvent*) {
    attachFailed = true;
    return 0;
}

}  // namespace

struct X11Screen::Shared {
    XShmSegmentInfo segment{};
    XImage* image = nullptr;
    QSize size;
};

std::unique_ptr<X11Screen> X11Screen::open(QString* error) {
    Display* display = OpenX11Connection(X11Role::Screen);
    if (display == nullptr) {
        if (error != nullptr) {
            *error =
                QCoreApplication::translate(
                    "ScreenX11", "X ディスプレイ %1 に接続できないため、画面を読み取れません。")
                    .arg(QString::fromLocal8Bit(qgetenv("DISPLAY")));
        }
        return nullptr;
    }
    return std::unique_ptr<X11Screen>(new X11Screen(display));
}

X11Screen::X11Screen(Display* display) : display_(display) {}

X11Screen::~X11Screen() {
    releaseSharedImage();
    CloseX11Connection(display_);
}

bool X11Screen::onScreen(const QRect& rect) const {
    const int screen = DefaultScreen(display_);
    const QRect root(0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen));
    return !rect.isEmpty() && root.contains(rect);
}

void X11Screen::releaseSharedImage() {
    if (!shared_) {
        return;
    }
    XShmDetach(display_, &shared_->segment);
    XSync(display_, False);
    XDestroyImage(shared_->image);  // frees the XImage, not the segment
    shmdt(shared_->segment.shmaddr);
    shared_.reset();
}

bool X11Screen::ensureSharedImage(QSize size) {
    if (sharedMemoryRefused_) {
        return false;
    }
    if (shared_ && shared_->size.width() >= size.width() &&
        shared_->size.height() >= size.height()) {
        return true;
    }
    releaseSharedImage();
    if (!XShmQueryExtension(display_)) {
        sharedMemoryRefused_ = true;
        return false;
    }
    const int screen = DefaultScreen(display_);
    auto shared = std::make_unique<Shared>();
    shared->image = XShmCreateImage(display_, DefaultVisual(display_, screen),
                                    static_cast<unsigned>(DefaultDepth(display_, screen)), ZPixmap,
                                    nullptr, &shared->segment, static_cast<unsigned>(size.width()),
                                    static_cast<unsigned>(size.height()));
    if (shared->image == nullptr) {
        sharedMemoryRefused_ = true;
        return false;
    }
    shared->segment.shmid = shmget(
        IPC_PRIVATE, static_cast<size_t>(shared->image->bytes_per_line) * shared->image->height,
        IPC_CREAT | 0600);
    if (shared->segment.shmid < 0) {
        XDestroyImage(shared->image);
        sharedMemoryRefused_ = true;
        return false;
    }
    shared->segment.shmaddr = static_cast<char*>(shmat(shared->segment.shmid, nullptr, 0));
    // Marked for removal at once: it goes away with the last detach, also if we die.
    shmctl(shared->segment.shmid, IPC_RMID, nullptr);
    if (shared->segment.shmaddr == reinterpret_cast<char*>(-1)) {
        XDestroyImage(shared->image);
        sharedMemoryRefused_ = true;
        return false;
    }
    shared->image->data = shared->segment.shmaddr;
    shared->segment.readOnly = False;
    XSync(display_, False);
    attachFailed = false;
    const auto previous = XSetErrorHandler(NoteAttachError);
    XShmAttach(display_, &shared->segment);
    XSync(display_, False);
    XSetErrorHandler(previous);
    if (attachFailed) {
        XDestroyImage(shared->image);
        shmdt(shared->segment.shmaddr);
        sharedMemoryRefused_ = true;
        return false;
    }
    shared->size = size;
    shared_ = std::move(shared);
    return true;
}

QImage X11Screen::grab(const QRect& rect) {
    if (!onScreen(rect)) {
        return {};
    }
    const Window root = DefaultRootWindow(display_);
    if (ensureSharedImage(rect.size())) {
        // The segment may be larger than the rectangle: read into a sub-image of its size. The
        // server packs the rows of the rectangle's width, padded as the image says.
        XImage view = *shared_->image;
        view.width = rect.width();
        view.height = rect.height();
        view.bytes_per_line = (rect.width() * view.bits_per_pixel + view.bitmap_pad - 1) /
                              view.bitmap_pad * view.bitmap_pad / 8;
        if (XShmGetImage(display_, root, &view, rect.x(), rect.y(), AllPlanes)) {
            return ToQImage(&view, rect.width(), rect.height());
        }
    }
    XImage* image =
        XGetImage(display_, root, rect.x(), rect.y(), static_cast<unsigned>(rect.width()),
                  static_cast<unsigned>(rect.height()), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return {};
    }
    QImage picture = ToQImage(image, rect.width(), rect.height());
    XDestroyImage(image);
    return picture;
}

std::optional<QRgb> X11Screen::pixel(QPoint at) {
    if (!onScreen(QRect(at, QSize(1, 1)))) {
        return std::nullopt;
    }
    XImage* image =
        XGetImage(display_, DefaultRootWindow(display_), at.x(), at.y(), 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return std::nullopt;
    }
    const QRgb colour = ToRgb(image, XGetPixel(image, 0, 0));
    XDestroyImage(image);
    return colour;
}

}  // namespace stylorex
