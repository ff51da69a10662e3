#include "engine/pixel_mask.h"

#include <algorithm>
#include <limits>

namespace stylorex {

namespace {

// The squared distance along one line: d[q] = min over p of (q - p)² + f[p].
void LowerEnvelope(const std::vector<double>& f, std::vector<double>& d, std::vector<int>& v,
                   std::vector<double>& z) {
    const int n = static_cast<int>(f.size());
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    int k = 0;
    v[0] = 0;
    z[0] = -kInfinity;
    z[1] = kInfinity;
    const auto crossing = [&](int q, int p) {
        return ((f[q] + double(q) * q) - (f[p] + double(p) * p)) / (2.0 * q - 2.0 * p);
    };
    for (int q = 1; q < n; ++q) {
        double s = crossing(q, v[k]);
        while (s <= z[k]) {
            --k;
            s = crossing(q, v[k]);
        }
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = kInfinity;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < q) {
            ++k;
        }
        d[q] = double(q - v[k]) * (q - v[k]) + f[v[k]];
    }
}

}  // namespace

std::vector<std::int64_t> SquaredDistancesToSet(const DrawMask& mask) {
    const int w = mask.width;
    const int h = mask.height;
    std::vector<std::int64_t> out(static_cast<std::size_t>(w) * h, kNoSetPixel);
    if (w == 0 || h == 0) {
        return out;
    }
    const double none = static_cast<double>(kNoSetPixel);
    std::vector<double> columns(static_cast<std::size_t>(w) * h);
    const int longest = std::max(w, h);
    std::vector<double> f;
    std::vector<double> d(static_cast<std::size_t>(longest));
    std::vector<int> v(static_cast<std::size_t>(longest));
    std::vector<double> z(static_cast<std::size_t>(longest) + 1);
    f.resize(static_cast<std::size_t>(h));
    d.resize(static_cast<std::size_t>(h));
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            f[static_cast<std::size_t>(y)] = mask.at(x, y) ? 0.0 : none;
        }
        LowerEnvelope(f, d, v, z);
        for (int y = 0; y < h; ++y) {
            columns[static_cast<std::size_t>(y) * w + x] = d[static_cast<std::size_t>(y)];
        }
    }
    f.resize(static_cast<std::size_t>(w));
    d.resize(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        std::copy_n(columns.begin() + static_cast<std::ptrdiff_t>(y) * w, w, f.begin());
        LowerEnvelope(f, d, v, z);
        for (int x = 0; x < w; ++x) {
            const double value = d[static_cast<std::size_t>(x)];
            out[static_cast<std::size_t>(y) * w + x] =
                value >= none ? kNoSetPixel : static_cast<std::int64_t>(value);
        }
    }
    return out;
}

}  // namespace stylorex
