#include "tests/wayland/screen_events.h"

#include <algorithm>
#include <cstddef>

namespace stylorex::testing {

std::vector<ReceivedEvent> OnScreen(const std::vector<SurfaceEvent>& events, QPoint windowAt) {
    using Kind = ReceivedEvent::Kind;
    std::vector<ReceivedEvent> onScreen;
    for (const SurfaceEvent& event : events) {
        const int x = windowAt.x() + event.x;
        const int y = windowAt.y() + event.y;
        switch (event.kind) {
            case SurfaceEvent::Kind::Enter:
            case SurfaceEvent::Kind::Motion:
                onScreen.push_back({Kind::Motion, x, y});
                break;
            case SurfaceEvent::Kind::Press:
                onScreen.push_back({Kind::Press, x, y});
                break;
            case SurfaceEvent::Kind::Release:
                onScreen.push_back({Kind::Release, x, y});
                break;
            case SurfaceEvent::Kind::Leave:
                break;
        }
    }
    return WithoutRepeatedMotions(onScreen);
}

std::string FirstDifference(const std::vector<ReceivedEvent>& got,
                            const std::vector<ReceivedEvent>& expected) {
    std::size_t i = 0;
    while (i < got.size() && i < expected.size() && got[i] == expected[i]) {
        ++i;
    }
    auto around = [i](const std::vector<ReceivedEvent>& events) {
        const std::size_t from = i >= 3 ? i - 3 : 0;
        return Describe(std::vector<ReceivedEvent>(
            events.begin() + static_cast<std::ptrdiff_t>(std::min(from, events.size())),
            events.begin() + static_cast<std::ptrdiff_t>(std::min(i + 4, events.size()))));
    };
    return "received " + std::to_string(got.size()) + " events, expected " +
           std::to_string(expected.size()) + "; from event " + std::to_string(i) + ": received " +
           around(got) + "; expected " + around(expected);
}

}  // namespace stylorex::testing
