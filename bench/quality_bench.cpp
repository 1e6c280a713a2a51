// The quality benchmark: for each ground-truth set folder, every method's PSNR, SSIM and mean
// level against the truth and its median time, one row per method, side by side in one run.
//
//   lumivex_quality_bench [--repeat N] [--threads N] [--methods a,b,...] [--save DIR]
//                         [--scale N] SET_FOLDER...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "bench/quality_methods.h"
#include "bench/quality_metrics.h"
#include "bench/quality_sets.h"
#include "engine/parallel.h"

namespace {

using namespace lumivex::bench;

struct Options {
    int repeat = 3;
    int threads = 0;  // 0: the engine's default
    int scale = 2;    // for folders without offsets.csv
    std::string saveDir;
    std::vector<std::string> methods;  // empty: all available
    std::vector<std::string> sets;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--repeat" && hasValue) {
            o.repeat = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--threads" && hasValue) {
            o.threads = std::atoi(argv[++i]);
        } else if (arg == "--scale" && hasValue) {
            o.scale = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--save" && hasValue) {
            o.saveDir = argv[++i];
        } else if (arg == "--methods" && hasValue) {
            std::stringstream list(argv[++i]);
            for (std::string name; std::getline(list, name, ',');) {
                o.methods.push_back(name);
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return false;
        } else {
            o.sets.push_back(arg);
        }
    }
    return !o.sets.empty();
}

// The methods asked for that this build has; notes for the others.
std::vector<NamedMethod> ChosenMethods(const Options& o) {
    std::vector<NamedMethod> all = AvailableMethods();
    if (o.methods.empty()) {
        for (const char* name : {"quality", "btvl1"}) {
            if (!MissingMethodNote(name).empty()) {
                std::printf("# %s\n", MissingMethodNote(name).c_str());
            }
        }
        return all;
    }
    std::vector<NamedMethod> chosen;
    for (const std::string& name : o.methods) {
        auto it = std::find_if(all.begin(), all.end(),
                               [&](const NamedMethod& m) { return m.name == name; });
        if (it != all.end()) {
            chosen.push_back(*it);
        } else {
            std::printf("# %s\n", MissingMethodNote(name).c_str());
        }
    }
    return chosen;
}

// Runs the method repeat times on fresh copies of the frames; the median wall time in ms, or
// a negative value when it failed.
double TimeMethod(const NamedMethod& m, const SrSet& set, int repeat, Picture& out) {
    std::vector<double> times;
    for (int r = 0; r < repeat; ++r) {
        std::vector<Picture> frames = set.frames;
        out = Picture{set.scale * frames[0].width, set.scale * frames[0].height, {}};
        out.pixels.assign(static_cast<size_t>(out.width) * out.height * 3, 0);
        const auto start = std::chrono::steady_clock::now();
        if (!m.run(frames, out)) {
            return -1;
        }
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void PrintRow(const std::string& set, const std::string& method, double ms, const SrSet& s,
              const Picture& out, double& cubicLuma) {
    if (s.truth.width == 0) {
        std::printf("%-26s %-13s %8s %8s %7s %8s %8s %10.1f\n", set.c_str(), method.c_str(), "-",
                    "-", "-", "-", "-", ms);
        return;
    }
    const Quality q = CompareToTruth(out, s.truth);
    if (method == "cubic") {
        cubicLuma = q.psnrLuma;
    }
    std::printf("%-26s %-13s %8.2f %8.2f %7.4f %+8.2f %+8.2f %10.1f\n", set.c_str(), method.c_str(),
                q.psnrLuma, q.psnrRgb, q.ssimLuma, q.psnrLuma - cubicLuma, q.meanLevel, ms);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: %s [--repeat N] [--threads N] [--methods cubic,engine-cubic,engine,"
                     "quality,btvl1] [--save DIR] [--scale N] SET_FOLDER...\n",
                     argv[0]);
        return 2;
    }
    if (o.threads > 0) {
        lumivex::SetEngineThreadCount(o.threads);
    }
    const std::vector<NamedMethod> methods = ChosenMethods(o);
    std::printf(
        "# threads %d, median of %d; PSNR-Y and SSIM-Y on luminance (BT.601), PSNR-RGB "
        "over R, G, B; SSIM 11x11 Gaussian sigma 1.5; gain = PSNR-Y minus cubic's; "
        "level = mean(result - truth)\n",
        lumivex::EngineThreadCount(), o.repeat);
    std::printf("%-26s %-13s %8s %8s %7s %8s %8s %10s\n", "set", "method", "PSNR-Y", "PSNR-RGB",
                "SSIM-Y", "gain dB", "level", "time ms");
    int failures = 0;
    for (const std::string& folder : o.sets) {
        SrSet set;
        std::string why;
        if (!LoadSrSet(folder, o.scale, set, &why)) {
            std::fprintf(stderr, "%s\n", why.c_str());
            ++failures;
            continue;
        }
        double cubicLuma = 0;
        for (const NamedMethod& m : methods) {
            Picture out;
            const double ms = TimeMethod(m, set, o.repeat, out);
            if (ms < 0) {
                std::printf("%-26s %-13s failed\n", set.name.c_str(), m.name.c_str());
                ++failures;
                continue;
            }
            PrintRow(set.name, m.name, ms, set, out, cubicLuma);
            std::fflush(stdout);
            if (!o.saveDir.empty() &&
                !SavePicture(out, o.saveDir + "/" + set.name + "_" + m.name + ".bmp", &why)) {
                std::fprintf(stderr, "%s\n", why.c_str());
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
