#include "engine/colour_reduction.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace stylorex {

namespace {

struct Lab {
    float L = 0;
    float a = 0;
    float b = 0;
};

// sRGB's transfer function undone, for each of the 256 channel values.
const std::array<float, 256>& linearChannel() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            t[static_cast<std::size_t>(i)] =
                static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return t;
    }();
    return table;
}

// The cube root of a non-negative number to float precision, several times faster than std::cbrt:
// a first guess from the exponent, then two Newton steps.
float cubeRoot(float x) {
    if (x <= 0) {
        return 0;
    }
    float y = std::bit_cast<float>(std::bit_cast<std::uint32_t>(x) / 3 + 709921077U);
    y = y - (y * y * y - x) / (3 * y * y);
    y = y - (y * y * y - x) / (3 * y * y);
    return y;
}

Lab toLab(QRgb colour) {
    const auto& lin = linearChannel();
    const float r = lin[static_cast<std::size_t>(qRed(colour))];
    const float g = lin[static_cast<std::size_t>(qGreen(colour))];
    const float b = lin[static_cast<std::size_t>(qBlue(colour))];
    const float l = cubeRoot(0.4122214708f * r + 0.5363325363f * g + 0.0514459929f * b);
    const float m = cubeRoot(0.2119034982f * r + 0.6806995451f * g + 0.1073969566f * b);
    const float s = cubeRoot(0.0883024619f * r + 0.2817188376f * g + 0.6299787005f * b);
    return {0.2104542553f * l + 0.7936177850f * m - 0.0040720453f * s,
            1.9779984951f * l - 2.4285922050f * m + 0.4505937099f * s,
            0.0259040371f * l + 0.7827717662f * m - 0.8086757660f * s};
}

float distance2(const Lab& p, const Lab& q) {
    const float dL = p.L - q.L;
    const float da = p.a - q.a;
    const float db = p.b - q.b;
    return dL * dL + da * da + db * db;
}

// The candidates in search order: the background first, then the inks in the palette's order, so
// that on a tie the earlier one, found first, stays. Their coordinates are kept apart so that the
// distances to all of them are worked out side by side before the nearest is picked.
class Candidates {
  public:
    explicit Candidates(const InkColours& colours) {
        if (colours.inks.size() > 127) {
            throw std::invalid_argument("at most 127 inks");
        }
        add(toLab(colours.background));
        for (const QRgb ink : colours.inks) {
            add(toLab(ink));
        }
    }

    std::size_t size() const { return lab_.size(); }
    const Lab& lab(std::size_t candidate) const { return lab_[candidate]; }
    // A candidate's ink index in the reduced picture.
    static std::int8_t ink(std::size_t candidate) {
        return static_cast<std::int8_t>(static_cast<int>(candidate) - 1);
    }

    std::size_t nearest(const Lab& p) const {
        const float* d = distances(p);
        std::size_t best = 0;
        for (std::size_t i = 1; i < lab_.size(); ++i) {
            if (d[i] < d[best]) {
                best = i;
            }
        }
        return best;
    }

    // The nearest and the second nearest (the same when there is one candidate).
    std::pair<std::size_t, std::size_t> twoNearest(const Lab& p) const {
        const float* d = distances(p);
        std::size_t first = 0;
        std::size_t second = 0;
        float secondDistance = std::numeric_limits<float>::max();
        for (std::size_t i = 1; i < lab_.size(); ++i) {
            if (d[i] < d[first]) {
                second = first;
                secondDistance = d[first];
                first = i;
            } else if (d[i] < secondDistance) {
                second = i;
                secondDistance = d[i];
            }
        }
        if (secondDistance == std::numeric_limits<float>::max()) {
            second = first;
        }
        return {first, second};
    }

  private:
    void add(const Lab& lab) {
        lab_.push_back(lab);
        L_.push_back(lab.L);
        a_.push_back(lab.a);
        b_.push_back(lab.b);
    }

    // The squared distance from `p` to each candidate, as distance2 gives it.
    const float* distances(const Lab& p) const {
        const std::size_t n = lab_.size();
        const float* L = L_.data();
        const float* a = a_.data();
        const float* b = b_.data();
        float* d = distances_.data();
        for (std::size_t i = 0; i < n; ++i) {
            const float dL = p.L - L[i];
            const float da = p.a - a[i];
            const float db = p.b - b[i];
            d[i] = dL * dL + da * da + db * db;
        }
        return d;
    }

    std::vector<Lab> lab_;
    std::vector<float> L_;
    std::vector<float> a_;
    std::vector<float> b_;
    mutable std::array<float, 128> distances_{};
};

// The last colour converted, kept for the runs of equal pixels that line art is made of.
class LabOf {
  public:
    const Lab& operator()(QRgb colour) {
        if (colour != last_ || !valid_) {
            last_ = colour;
            lab_ = toLab(colour);
            valid_ = true;
        }
        return lab_;
    }

  private:
    QRgb last_ = 0;
    Lab lab_;
    bool valid_ = false;
};

// The 4 × 4 Bayer matrix: the order in which the cells of a 4 × 4 block take the second colour
// as a pixel moves from its nearest colour towards the second nearest.
constexpr std::array<std::array<int, 4>, 4> kBayer{{
    {{0, 8, 2, 10}},
    {{12, 4, 14, 6}},
    {{3, 11, 1, 9}},
    {{15, 7, 13, 5}},
}};

void reducePlain(const QImage& picture, const Candidates& candidates, ReducedPicture& out) {
    LabOf labOf;
    for (int y = 0; y < out.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        std::int8_t* ink = out.ink.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x) {
            ink[x] = Candidates::ink(candidates.nearest(labOf(row[x])));
        }
    }
}

// Between its two nearest colours, a pixel takes the second where the threshold of its cell lies
// below how far it stands from the first towards the second (its projection on the segment).
void reduceOrdered(const QImage& picture, const Candidates& candidates, ReducedPicture& out) {
    LabOf labOf;
    for (int y = 0; y < out.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        std::int8_t* ink = out.ink.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x) {
            const Lab& p = labOf(row[x]);
            const auto [first, second] = candidates.twoNearest(p);
            std::size_t chosen = first;
            if (second != first) {
                const Lab& c1 = candidates.lab(first);
                const Lab& c2 = candidates.lab(second);
                const float length2 = distance2(c1, c2);
                const float along = ((p.L - c1.L) * (c2.L - c1.L) + (p.a - c1.a) * (c2.a - c1.a) +
                                     (p.b - c1.b) * (c2.b - c1.b)) /
                                    length2;
                const float threshold =
                    (static_cast<float>(
                         kBayer[static_cast<std::size_t>(y & 3)][static_cast<std::size_t>(x & 3)]) +
                     0.5f) /
                    16.0f;
                if (along > threshold) {
                    chosen = second;
                }
            }
            ink[x] = Candidates::ink(chosen);
        }
    }
}

// Floyd–Steinberg in OKLab, left to right on every row.
void reduceDiffused(const QImage& picture, const Candidates& candidates, ReducedPicture& out) {
    const std::size_t width = static_cast<std::size_t>(out.width);
    std::vector<Lab> errors(width + 2);
    std::vector<Lab> nextErrors(width + 2);
    LabOf labOf;
    for (int y = 0; y < out.height; ++y) {
        std::fill(nextErrors.begin(), nextErrors.end(), Lab{});
        const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        std::int8_t* ink = out.ink.data() + static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x) {
            const Lab& original = labOf(row[x]);
            const Lab& carried = errors[x + 1];
            const Lab wanted{original.L + carried.L, original.a + carried.a,
                             original.b + carried.b};
            const std::size_t chosen = candidates.nearest(wanted);
            ink[x] = Candidates::ink(chosen);
            const Lab& got = candidates.lab(chosen);
            const Lab e{wanted.L - got.L, wanted.a - got.a, wanted.b - got.b};
            auto spread = [&e](Lab& into, float share) {
                into.L += e.L * share;
                into.a += e.a * share;
                into.b += e.b * share;
            };
            spread(errors[x + 2], 7.0f / 16);
            spread(nextErrors[x], 3.0f / 16);
            spread(nextErrors[x + 1], 5.0f / 16);
            spread(nextErrors[x + 2], 1.0f / 16);
        }
        std::swap(errors, nextErrors);
    }
}

}  // namespace

std::vector<std::int32_t> ReducedPicture::counts(std::size_t inks) const {
    std::vector<std::int32_t> result(inks, 0);
    for (const std::int8_t i : ink) {
        if (i >= 0 && static_cast<std::size_t>(i) < inks) {
            ++result[static_cast<std::size_t>(i)];
        }
    }
    return result;
}

QImage ReducedPicture::image(const InkColours& colours) const {
    QImage result(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::int8_t i = at(x, y);
            row[x] = i == kBackground ? colours.background
                                      : colours.inks[static_cast<std::size_t>(i)] | 0xff000000U;
        }
    }
    return result;
}

QImage ReducedPicture::mask(int index) const {
    QImage result(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = at(x, y) == index ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        }
    }
    return result;
}

ReducedPicture ReduceToInks(const QImage& picture, const InkColours& colours, Dithering dithering) {
    const Candidates candidates(colours);
    const QImage opaque = picture.convertToFormat(QImage::Format_RGB32);
    ReducedPicture out;
    out.width = opaque.width();
    out.height = opaque.height();
    out.ink.assign(static_cast<std::size_t>(out.width) * out.height, ReducedPicture::kBackground);
    switch (dithering) {
        case Dithering::Nearest:
            reducePlain(opaque, candidates, out);
            break;
        case Dithering::Ordered:
            reduceOrdered(opaque, candidates, out);
            break;
        case Dithering::ErrorDiffusion:
            reduceDiffused(opaque, candidates, out);
            break;
    }
    return out;
}

double Lightness(QRgb colour) {
    return toLab(colour).L;
}

}  // namespace stylorex
