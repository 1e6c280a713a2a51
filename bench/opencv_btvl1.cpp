// OpenCV's BTV-L1 super-resolution as a yardstick for the quality benchmark.
#include <opencv2/core.hpp>
#include <opencv2/superres.hpp>

#include "bench/quality_methods.h"

namespace lumivex::bench {

namespace {

// The frames as a video, reference first.
class MemoryFrames : public cv::superres::FrameSource {
public:
    explicit MemoryFrames(std::vector<cv::Mat> frames) : frames_(std::move(frames)) {}
    void nextFrame(cv::OutputArray frame) override {
        if (next_ < frames_.size()) {
            frames_[next_++].copyTo(frame);
        } else {
            frame.release();
        }
    }
    void reset() override { next_ = 0; }

private:
    std::vector<cv::Mat> frames_;
    size_t next_ = 0;
};

}  // namespace

bool RunOpenCvBtvL1(std::vector<Picture>& frames, Picture& out, int threads) {
    try {
        cv::setNumThreads(threads);
        std::vector<cv::Mat> mats;
        for (Picture& p : frames) {
            mats.emplace_back(p.height, p.width, CV_8UC3, p.pixels.data());
        }
        const int count = static_cast<int>(frames.size());
        cv::Ptr<cv::superres::SuperResolution> sr = cv::superres::createSuperResolution_BTVL1();
        sr->setScale(out.width / frames[0].width);
        sr->setIterations(10);
        // The first output is the first frame's, built from the frames within this radius
        // after it: all of them.
        sr->setTemporalAreaRadius(count - 1);
        sr->setInput(cv::makePtr<MemoryFrames>(mats));
        cv::Mat result;
        sr->nextFrame(result);
        if (result.empty() || result.type() != CV_8UC3) {
            return false;
        }
        // BTV-L1 leaves out a band along the borders; that band is filled with the centred
        // cubic enlargement so that every method is measured on the whole picture.
        CentredCubic(frames[0], out);
        cv::Mat target(out.height, out.width, CV_8UC3, out.pixels.data());
        const int x0 = (out.width - result.cols) / 2;
        const int y0 = (out.height - result.rows) / 2;
        if (x0 < 0 || y0 < 0) {
            return false;
        }
        result.copyTo(target(cv::Rect(x0, y0, result.cols, result.rows)));
        return true;
    } catch (const cv::Exception&) {
        return false;
    }
}

}  // namespace lumivex::bench
