#include "os/desktop_windows.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

namespace stylorex {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

}  // namespace

std::vector<QRect> ShownDesktopWindows() {
    // Asked on the toolkit's own connection: only when the toolkit speaks X11 do our windows
    // live on that desktop.
    const auto* x11 = qGuiApp != nullptr
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return {};
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const ReplyPtr<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
    if (!tree) {
        return {};
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    // Every question first, then the answers: one round trip for all of them. A window that
    // went away meanwhile answers with an error, and is left out.
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    std::vector<xcb_get_geometry_cookie_t> geometries;
    for (int i = 0; i < count; ++i) {
        attributes.push_back(xcb_get_window_attributes(connection, children[i]));
        geometries.push_back(xcb_get_geometry(connection, children[i]));
    }
    std::vector<QRect> shown;
    for (int i = 0; i < count; ++i) {
        const ReplyPtr<xcb_get_window_attributes_reply_t> attribute(
            xcb_get_window_attributes_reply(connection, attributes[i], nullptr));
        const ReplyPtr<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection, geometries[i], nullptr));
        if (!attribute || !geometry || attribute->map_state != XCB_MAP_STATE_VIEWABLE ||
            attribute->_class == XCB_WINDOW_CLASS_INPUT_ONLY) {
            continue;
        }
        const int border = 2 * geometry->border_width;
        shown.emplace_back(geometry->x, geometry->y, geometry->width + border,
                           geometry->height + border);
    }
    return shown;
}

}  // namespace stylorex
