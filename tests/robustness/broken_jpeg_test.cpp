// The JPEG reader on damaged and hostile files: the marker scan, the EXIF parser and the
// decoder, on cut and flipped copies, frame headers claiming huge pictures, and EXIF blocks with
// looping directory links and absurd counts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "image/exif.h"
#include "image/image_stream.h"
#include "image/jpeg_codec.h"
#include "image/jpeg_sections.h"
#include "image/rgb_image.h"
#include "tests/robustness/allocation_meter.h"
#include "tests/robustness/damage.h"
#include "tests/robustness/jpeg_builder.h"

namespace lumivex::robustness {
namespace {

constexpr uint16_t kRational = 5;
constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;
constexpr uint16_t kDouble = 12;
constexpr uint16_t kXResolution = 0x011A;
constexpr uint16_t kYResolution = 0x011B;
constexpr uint16_t kUnit = 0x0128;
constexpr uint16_t kExifLink = 0x8769;
constexpr uint16_t kInteropLink = 0xA005;

bool DecodeJpeg(const Bytes& bytes, RgbImage& image, std::string* reason = nullptr) {
    MemoryImageStream stream(bytes);
    JpegCodec codec;
    const bool ok = codec.Decode(stream, image);
    if (reason != nullptr)
        *reason = codec.FailureReason();
    return ok;
}

// Runs the marker scan on its own, then the parser on the bytes as one section body; every
// kept section is read whole.
void ScanAndParse(const Bytes& bytes) {
    MemoryImageStream stream(bytes);
    JpegSectionScan scan;
    ScanJpegSections(stream, scan);
    for (const JpegSection& section : scan.sections) {
        ASSERT_EQ(section.data.size(), static_cast<size_t>(section.length));
        fuzz::TouchBytes(section.data.data(), section.data.size());
    }
}

// "Exif\0\0" + tiff in a buffer of exactly that size, so any read past it is caught.
std::unique_ptr<uint8_t[]> ExifBody(const Bytes& tiff, int32_t& sectionLength) {
    const Bytes header = {'E', 'x', 'i', 'f', 0, 0};
    auto body = std::make_unique<uint8_t[]>(header.size() + tiff.size());
    std::copy(header.begin(), header.end(), body.get());
    std::copy(tiff.begin(), tiff.end(), body.get() + header.size());
    sectionLength = static_cast<int32_t>(header.size() + tiff.size() + 2);
    return body;
}

bool ParseTiff(const Bytes& tiff, ExifInfo& info, std::string* message = nullptr) {
    int32_t length = 0;
    const auto body = ExifBody(tiff, length);
    return ParseExif(body.get(), length, info, message);
}

// 300 dots per inch in IFD0.
Bytes ResolutionTiff() {
    const uint32_t values = TiffExtraOffset(3);
    Bytes extra(16, 0);
    PutLe32(extra, 0, 300);
    PutLe32(extra, 4, 1);
    PutLe32(extra, 8, 300);
    PutLe32(extra, 12, 1);
    return BuildTiff({{kXResolution, kRational, 1, values},
                      {kYResolution, kRational, 1, values + 8},
                      {kUnit, kShort, 1, 2}},
                     extra);
}

std::vector<std::pair<std::string, Bytes>> GoodFiles() {
    std::vector<std::pair<std::string, Bytes>> files;
    files.emplace_back("baseline", BuildJpeg({}));
    files.emplace_back("progressive", BuildJpeg({.progressive = true}));
    files.emplace_back("grey", BuildJpeg({.width = 17, .height = 9, .grey = true}));
    files.emplace_back("4:4:4", BuildJpeg({.width = 21, .height = 11, .fullChroma = true}));
    files.emplace_back("EXIF 300 dpi", WithExif(BuildJpeg({}), ResolutionTiff()));
    return files;
}

TEST(BrokenJpeg, GoodFilesDecode) {
    for (const auto& [name, bytes] : GoodFiles()) {
        RgbImage image;
        std::string reason;
        EXPECT_TRUE(DecodeJpeg(bytes, image, &reason)) << name << ": " << reason;
    }
    RgbImage image;
    ASSERT_TRUE(DecodeJpeg(WithExif(BuildJpeg({}), ResolutionTiff()), image));
    EXPECT_EQ(image.HorizontalDpi(), 300);
    EXPECT_EQ(image.VerticalDpi(), 300);
}

TEST(BrokenJpeg, CutAndFlippedCopiesDecodeOrFailWithoutHarm) {
    int tried = 0;
    for (const auto& [name, good] : GoodFiles()) {
        for (const DamagedFile& damaged : AllDamage(good)) {
            ScanAndParse(damaged.bytes);
            RgbImage image;
            std::string reason;
            ++tried;
            if (DecodeJpeg(damaged.bytes, image, &reason)) {
                fuzz::TouchPicture(image);
            } else {
                EXPECT_TRUE(image.IsEmpty()) << name << ", " << damaged.what;
                EXPECT_FALSE(reason.empty()) << name << ", " << damaged.what;
            }
        }
    }
    RecordProperty("inputs", tried);
}

TEST(BrokenJpeg, FrameHeadersClaimingHugePicturesAreRefusedBeforeAllocating) {
    struct Claim {
        uint16_t width;
        uint16_t height;
        bool progressive;
        bool fullChroma;
    };
    // Beyond what the library handles at all (65535); 65500 x 65500; about 2^31 pixels;
    // 60000 x 60000, also progressive, whose coefficient buffers alone would take 21.6 GB.
    const Claim claims[] = {{65535, 65535, false, false}, {65500, 65500, false, false},
                            {65500, 65500, true, false},  {65500, 32769, false, true},
                            {60000, 60000, false, true},  {60000, 60000, true, true}};
    for (const Claim& claim : claims) {
        Bytes bytes = BuildJpeg({.progressive = claim.progressive, .fullChroma = claim.fullChroma});
        ASSERT_TRUE(SetJpegFrameSize(bytes, claim.width, claim.height));
        RgbImage image;
        std::string reason;
        AllocationMeter meter;
        EXPECT_FALSE(DecodeJpeg(bytes, image, &reason)) << claim.width << " x " << claim.height;
        EXPECT_EQ(reason, "Picture too large for memory");
        EXPECT_TRUE(image.IsEmpty());
        if (AllocationMeter::Available()) {
            EXPECT_LT(meter.PeakBytes(), 4 << 20) << claim.width << " x " << claim.height;
        }
    }
}

// A progressive file keeps whole-image coefficient buffers (two bytes a sample at full chroma)
// beside the picture; a picture within the pixel limit decodes all the same, made here at run
// time: 7000 x 7000 at 4:4:4 is 147 MB of pixels and 294 MB of coefficients.
TEST(BrokenJpeg, LargeProgressivePicturesWithinThePixelLimitDecode) {
    constexpr int32_t kSide = 7000;
    const Bytes bytes =
        BuildJpeg({.width = kSide, .height = kSide, .progressive = true, .fullChroma = true});
    RgbImage image;
    std::string reason;
    AllocationMeter meter;
    ASSERT_TRUE(DecodeJpeg(bytes, image, &reason)) << reason;
    EXPECT_EQ(image.Width(), kSide);
    EXPECT_EQ(image.Height(), kSide);
    EXPECT_EQ(image.BitsPerPixel(), 24);
    // The last row was decoded too: the builder's red there is (6999 x 5) mod 256 = 179 at x = 0.
    EXPECT_NEAR(image.Row(0)[2], 179, 24);
    if (AllocationMeter::Available()) {
        const int64_t pixels = int64_t{kSide} * kSide * 3;
        // The picture, its coefficients and the stream's copy of the file.
        const auto file = static_cast<int64_t>(bytes.size());
        EXPECT_LT(meter.PeakBytes(), 3 * pixels + file + (16 << 20));
    }
}

TEST(BrokenExif, DirectoriesLinkingBackToThemselvesAreReadOnce) {
    // 200 entries that all link to the directory they sit in: followed naively that is 200^5
    // directory reads.
    std::vector<TiffEntry> loop(200, TiffEntry{kExifLink, kLong, 1, 8});
    loop.push_back({kUnit, kShort, 1, 3});
    ExifInfo info;
    EXPECT_TRUE(ParseTiff(BuildTiff(loop), info));
    EXPECT_FLOAT_EQ(info.unitFactor, 0.3937007784843445f);

    // Two directories that link to each other through both kinds of link.
    const uint32_t second = TiffExtraOffset(3);
    Bytes extra(2 + 3 * 12 + 4, 0);
    PutLe16(extra, 0, 3);
    const TiffEntry back[] = {
        {kInteropLink, kLong, 1, 8}, {kExifLink, kLong, 1, second}, {kYResolution, kLong, 1, 150}};
    for (size_t i = 0; i < 3; ++i) {
        PutLe16(extra, 2 + i * 12, back[i].tag);
        PutLe16(extra, 4 + i * 12, back[i].format);
        PutLe32(extra, 6 + i * 12, back[i].count);
        PutLe32(extra, 10 + i * 12, back[i].value);
    }
    const Bytes pair = BuildTiff({{kExifLink, kLong, 1, second},
                                  {kInteropLink, kLong, 1, second},
                                  {kXResolution, kLong, 1, 72}},
                                 extra);
    ExifInfo linked;
    EXPECT_TRUE(ParseTiff(pair, linked));
    EXPECT_FLOAT_EQ(linked.xResolution, 72);
    EXPECT_FLOAT_EQ(linked.yResolution, 150);

    // The same inside a picture: the decoder finishes and takes the resolution.
    RgbImage image;
    ASSERT_TRUE(DecodeJpeg(WithExif(BuildJpeg({}), BuildTiff(loop)), image));
}

TEST(BrokenExif, HugeCountsAndLinksOutsideTheBlockAreRejected) {
    const Bytes small(16, 0);
    struct Case {
        std::vector<TiffEntry> entries;
        const char* message;
    };
    const Case cases[] = {
        {{{kXResolution, kRational, 0xFFFFFFFF, TiffExtraOffset(1)}},
         "Illegal pointer offset value in EXIF."},
        {{{kXResolution, kDouble, 0x20000000, TiffExtraOffset(1)}},
         "Illegal pointer offset value in EXIF."},
        {{{kXResolution, kRational, 1, 0xFFFFFFF8}}, "Illegal pointer offset value in EXIF."},
        {{{kExifLink, kLong, 1, 0xFFFFFFFF}}, "Illegal subdirectory link"},
        {{{kExifLink, kLong, 1, TiffExtraOffset(1) + 15}}, "Illegally sized directory"},
        {{{kXResolution, 13, 1, 0}}, "Illegal format code in EXIF dir"},
    };
    for (const Case& c : cases) {
        ExifInfo info;
        std::string message;
        EXPECT_FALSE(ParseTiff(BuildTiff(c.entries, small), info, &message)) << c.message;
        EXPECT_EQ(message, c.message);
    }
    // A directory claiming 65535 entries in a block of a few bytes.
    Bytes tiff = BuildTiff({{kXResolution, kLong, 1, 72}});
    PutLe16(tiff, 8, 0xFFFF);
    ExifInfo info;
    std::string message;
    EXPECT_FALSE(ParseTiff(tiff, info, &message));
    EXPECT_EQ(message, "Illegally sized directory");
}

TEST(BrokenExif, CutAndFlippedBlocksNeverReadOutsideTheSection) {
    std::vector<TiffEntry> entries = {{kXResolution, kRational, 1, TiffExtraOffset(4)},
                                      {kYResolution, kRational, 1, TiffExtraOffset(4) + 8},
                                      {kUnit, kShort, 1, 2},
                                      {kExifLink, kLong, 1, TiffExtraOffset(4) + 16}};
    Bytes extra(16, 0);
    PutLe32(extra, 0, 300);
    PutLe32(extra, 4, 1);
    PutLe32(extra, 8, 200);
    PutLe32(extra, 12, 1);
    const Bytes sub = {1, 0, 0x28, 1, 3, 0, 1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0};
    extra.insert(extra.end(), sub.begin(), sub.end());
    const Bytes good = BuildTiff(entries, extra);
    ExifInfo parsed;
    ASSERT_TRUE(ParseTiff(good, parsed));
    EXPECT_FLOAT_EQ(parsed.xResolution, 300);
    EXPECT_FLOAT_EQ(parsed.unitFactor, 0.3937007784843445f);  // the sub-directory's centimetres
    int tried = 0;
    for (const DamagedFile& damaged : AllDamage(good, 200)) {
        ExifInfo info;
        ParseTiff(damaged.bytes, info);
        ExifDpi(info.xResolution, info.unitFactor);
        ++tried;
    }
    RecordProperty("inputs", tried);
}

}  // namespace
}  // namespace lumivex::robustness
