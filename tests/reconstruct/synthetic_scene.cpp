#include "synthetic_scene.h"

#include <algorithm>
#include <cmath>

namespace lumivex::testing_scene {

namespace {

// Smooth waves, a few sharp-edged discs and a grating finer than the frames can show,
// differently per channel.
double Scene(double x, double y, int32_t channel) {
    const double c = channel;
    double v = 120 + 40 * std::sin(0.11 * x + 0.7 * c) * std::cos(0.07 * y - 0.3 * c) +
               25 * std::sin(0.45 * x + 0.31 * y + c) +
               30 * std::sin(1.9 * x + 0.4 * y) * std::sin(0.05 * y + c);
    const double centres[3][2] = {{30, 25}, {95, 60}, {150, 120}};
    for (int i = 0; i < 3; ++i) {
        const double dx = x - centres[i][0];
        const double dy = y - centres[i][1];
        if (dx * dx + dy * dy < 14.0 * 14.0) {
            v += (i % 2 == 0 ? 60.0 : -60.0) * (1.0 - 0.3 * c);
        }
    }
    return std::clamp(v, 0.0, 255.0);
}

}  // namespace

Picture Truth(int32_t width, int32_t height) {
    Picture p{2 * width + 8, 2 * height + 8, {}};
    p.pixels.resize(static_cast<size_t>(p.width) * p.height * 3);
    for (int32_t r = 0; r < p.height; ++r) {
        for (int32_t c = 0; c < p.width; ++c) {
            for (int32_t ch = 0; ch < 3; ++ch) {
                p.pixels[(static_cast<size_t>(r) * p.width + c) * 3 + ch] =
                    static_cast<uint8_t>(std::lround(Scene(c, r, ch)));
            }
        }
    }
    return p;
}

Picture BoxFrame(const Picture& truth, int32_t width, int32_t height, int32_t dx, int32_t dy) {
    Picture f{width, height, {}};
    f.pixels.resize(static_cast<size_t>(width) * height * 3);
    const auto at = [&](int32_t r, int32_t c, int32_t ch) {
        return truth.pixels[(static_cast<size_t>(r) * truth.width + c) * 3 + ch];
    };
    for (int32_t v = 0; v < height; ++v) {
        for (int32_t u = 0; u < width; ++u) {
            const int32_t r = 2 * v + dy;
            const int32_t c = 2 * u + dx;
            for (int32_t ch = 0; ch < 3; ++ch) {
                const int32_t sum =
                    at(r, c, ch) + at(r, c + 1, ch) + at(r + 1, c, ch) + at(r + 1, c + 1, ch);
                f.pixels[(static_cast<size_t>(v) * width + u) * 3 + ch] =
                    static_cast<uint8_t>((sum + 2) / 4);
            }
        }
    }
    return f;
}

Picture Crop(const Picture& p, int32_t width, int32_t height) {
    Picture out{width, height, {}};
    for (int32_t r = 0; r < height; ++r) {
        const uint8_t* row = p.pixels.data() + static_cast<size_t>(r) * p.width * 3;
        out.pixels.insert(out.pixels.end(), row, row + static_cast<size_t>(width) * 3);
    }
    return out;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double se = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<double>(a[i]) - b[i];
        se += d * d;
    }
    return 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / std::max(se, 1e-9));
}

}  // namespace lumivex::testing_scene
