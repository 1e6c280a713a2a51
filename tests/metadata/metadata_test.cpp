// The metadata a result carries from its reference picture: what is read and what is dropped,
// what each output format receives, and that saving without metadata stays as it was.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <exiv2/exiv2.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "image/byte_order.h"
#include "image/image_codec.h"
#include "image/image_stream.h"
#include "image/jpeg_codec.h"
#include "image/rgb_image.h"
#include "image/save_image.h"
#include "metadata/picture_metadata.h"
#include "metadata/save_with_metadata.h"
#include "tests/image/image_test_util.h"

namespace lumivex {
namespace {

std::string MetadataFixture(const std::string& name) {
    return std::string(LUMIVEX_TEST_DATA) + "/metadata/" + name;
}

RgbImage Grey(int32_t width, int32_t height, int32_t dpi) {
    RgbImage image;
    EXPECT_TRUE(image.Allocate(width, height, 24));
    image.SetHorizontalDpi(dpi);
    image.SetVerticalDpi(dpi);
    return image;
}

// The picture as the codec for a name ending in extension writes it.
std::vector<uint8_t> Encoded(const RgbImage& image, const std::string& extension) {
    MemoryImageStream stream;
    EXPECT_TRUE(CodecForWriting("picture." + extension)->Encode(stream, image));
    return stream.Data();
}

// What exiv2 finds in encoded bytes: "key=value" for the keys asked, "" when absent.
struct Found {
    std::vector<std::string> values;
    long iccSize = 0;
    bool thumbnail = false;
};

Found Inspect(const std::vector<uint8_t>& bytes, const std::vector<std::string>& keys) {
    Exiv2::Image::AutoPtr image =
        Exiv2::ImageFactory::open(bytes.data(), static_cast<long>(bytes.size()));
    image->readMetadata();
    Found found;
    for (const std::string& key : keys) {
        std::string value;
        if (key.rfind("Exif.", 0) == 0) {
            const auto it = image->exifData().findKey(Exiv2::ExifKey(key));
            value = it == image->exifData().end() ? "" : it->toString();
        } else if (key.rfind("Xmp.", 0) == 0) {
            const auto it = image->xmpData().findKey(Exiv2::XmpKey(key));
            value = it == image->xmpData().end() ? "" : it->toString();
        } else {
            const auto it = image->iptcData().findKey(Exiv2::IptcKey(key));
            value = it == image->iptcData().end() ? "" : it->toString();
        }
        found.values.push_back(value);
    }
    found.iccSize = image->iccProfileDefined() ? image->iccProfile()->size_ : 0;
    for (const Exiv2::Exifdatum& datum : image->exifData()) {
        found.thumbnail = found.thumbnail || datum.groupName() == "Thumbnail";
    }
    return found;
}

const std::vector<std::string> kCameraKeys = {"Exif.Image.Make",
                                              "Exif.Image.Model",
                                              "Exif.Photo.DateTimeOriginal",
                                              "Exif.Image.Orientation",
                                              "Exif.GPSInfo.GPSLatitudeRef",
                                              "Exif.Photo.FNumber",
                                              "Exif.Photo.PixelXDimension",
                                              "Exif.Photo.PixelYDimension",
                                              "Exif.Image.XResolution",
                                              "Xmp.dc.creator",
                                              "Iptc.Application2.Keywords"};

constexpr long kCameraIccSize = 3144;  // the sRGB profile in camera.jpg

class CarriedIntoFormat : public testing::TestWithParam<const char*> {};

// Every format receives all of it: the codec's own picture, then the camera's metadata.
TEST_P(CarriedIntoFormat, KeepsCameraDataWithTheNewSizeAndResolution) {
    std::vector<std::string> warnings;
    const PictureMetadata metadata = ReadPictureMetadata(MetadataFixture("camera.jpg"), &warnings);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    std::vector<uint8_t> bytes = Encoded(Grey(40, 30, 150), GetParam());
    ASSERT_TRUE(EmbedPictureMetadata(bytes, metadata, {40, 30, 150, 150}, &warnings))
        << warnings.front();
    const Found found = Inspect(bytes, kCameraKeys);
    const std::vector<std::string> expected = {
        "Canon", "Canon EOS 40D", "2008:05:30 15:56:01", "6",    "N", "71/10", "40",
        "30",    "150/1",         "Test Photographer",   "burst"};
    EXPECT_EQ(found.values, expected);
    EXPECT_EQ(found.iccSize, kCameraIccSize);
    EXPECT_FALSE(found.thumbnail);
    if (std::string(GetParam()) == "png") {
        // A PNG profile needs a name, or other readers drop it; the chunk's CRC must cover it.
        const std::string text(bytes.begin(), bytes.end());
        const size_t type = text.find("iCCP");
        ASSERT_NE(type, std::string::npos);
        ASSERT_GE(type, 4u);
        EXPECT_EQ(text.substr(type + 4, 12), std::string("ICC profile\0", 12));
        const uint8_t* chunk = bytes.data() + type - 4;
        const uint32_t length = LoadBe32(chunk);
        ASSERT_LE(type + 8 + length, bytes.size());
        const uint8_t* stored = chunk + 8 + length;
        const uint32_t crc = LoadBe32(stored);
        EXPECT_EQ(crc, crc32(0, chunk + 4, length + 4));
    }
}

INSTANTIATE_TEST_SUITE_P(Metadata, CarriedIntoFormat, testing::Values("jpg", "png", "tif"),
                         [](const auto& info) { return std::string(info.param); });

struct ReadCase {
    const char* name;
    std::string path;
    bool exif, xmp, icc;
    const char* warning;  // the start of the one expected warning; "" for none
};

class ReadReference : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadReference, KeepsWhatDecodesAndWarnsAboutWhatDoesNot) {
    const ReadCase& c = GetParam();
    std::vector<std::string> warnings;
    const PictureMetadata metadata = ReadPictureMetadata(c.path, &warnings);
    EXPECT_EQ(!metadata.exif.empty(), c.exif);
    EXPECT_EQ(!metadata.xmp.empty(), c.xmp);
    EXPECT_EQ(!metadata.icc.empty(), c.icc);
    if (*c.warning == '\0') {
        EXPECT_TRUE(warnings.empty()) << warnings.front();
    } else {
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings.front().rfind(c.warning, 0), 0u) << warnings.front();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Metadata, ReadReference,
    testing::Values(
        ReadCase{"camera", MetadataFixture("camera.jpg"), true, true, true, ""},
        ReadCase{"broken_exif", MetadataFixture("camera_bad_exif.jpg"), false, true, true,
                 "the EXIF block is left out (This does not look like a TIFF image)"},
        ReadCase{"broken_xmp", MetadataFixture("camera_bad_xmp.jpg"), true, false, true,
                 "the XMP packet is left out (XMP Toolkit error 201"},
        ReadCase{"broken_icc", MetadataFixture("camera_bad_icc.jpg"), true, true, false,
                 "the ICC colour profile is left out (Not a valid ICC Profile)"},
        ReadCase{"cmyk_icc", MetadataFixture("camera_cmyk_icc.jpg"), true, true, false,
                 "the ICC colour profile is left out (it describes CMYK colours, and the result "
                 "is RGB)"},
        ReadCase{"damaged_exif", test::DataPath("jpeg/pil_exif_gps.jpg"), true, false, false,
                 "the EXIF block is damaged; what could be read is kept (Directory Photo has an "
                 "unexpected next pointer; ignored, and 1 more problem)"},
        ReadCase{"none", MetadataFixture("plain.png"), false, false, false, ""},
        ReadCase{"bmp", test::DataPath("bmp/g/pal8.bmp"), false, false, false, ""},
        ReadCase{"missing", MetadataFixture("no-such-file.jpg"), false, false, false,
                 "the metadata is left out (No such file or directory)"}),
    [](const auto& info) { return std::string(info.param.name); });

// The tags that say how the old file stored its pixels (strips, palette, chroma siting, page)
// would be false in a result its own encoder wrote.
TEST(Metadata, LeavesOutHowTheOldFileStoredItsPixels) {
    const std::vector<std::string> encodingKeys = {
        "Exif.Image.YCbCrPositioning", "Exif.Image.ColorMap", "Exif.Image.PageNumber",
        "Exif.Image.StripOffsets", "Exif.Image.BitsPerSample"};
    for (const std::string& path : {MetadataFixture("camera.jpg"), MetadataFixture("plain.tif"),
                                    test::DataPath("tiff/pil_palette8.tif")}) {
        SCOPED_TRACE(path);
        const PictureMetadata metadata = ReadPictureMetadata(path, nullptr);
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, metadata.exif.data(),
                                  static_cast<uint32_t>(metadata.exif.size()));
        for (const std::string& key : encodingKeys)
            EXPECT_TRUE(exif.findKey(Exiv2::ExifKey(key)) == exif.end()) << key;
    }
}

struct SaveCase {
    const char* name;
    const char* extension;
    bool withMetadata;
    bool sameAsPlainSave;  // byte for byte what SaveImageToPath writes
};

class SaveWithMetadata : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveWithMetadata, WritesMetadataOnlyWhereTheFormatHoldsIt) {
    const SaveCase& c = GetParam();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("lumivex-metadata-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string plain = (folder / (std::string("plain") + c.extension)).string();
    const std::string carried = (folder / (std::string("carried") + c.extension)).string();
    const RgbImage image = Grey(40, 30, 96);
    const PictureMetadata metadata =
        c.withMetadata ? ReadPictureMetadata(MetadataFixture("camera.jpg"), nullptr)
                       : PictureMetadata{};
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(SaveImageToPath(image, plain, &error)) << error;
    ASSERT_TRUE(SaveImageWithMetadata(image, carried, metadata, &warnings, &error)) << error;
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(test::ReadBytes(carried) == test::ReadBytes(plain), c.sameAsPlainSave);
    std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Metadata, SaveWithMetadata,
                         testing::Values(SaveCase{"jpeg", ".jpg", true, false},
                                         SaveCase{"jpeg_without", ".jpg", false, true},
                                         SaveCase{"bmp", ".bmp", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The JPEG's resolution reads back the same from its carried EXIF block as from its JFIF header.
TEST(Metadata, CarriedJpegReadsBackAtItsOwnResolution) {
    std::vector<uint8_t> bytes = Encoded(Grey(40, 30, 150), "jpg");
    const PictureMetadata metadata = ReadPictureMetadata(MetadataFixture("camera.jpg"), nullptr);
    ASSERT_TRUE(EmbedPictureMetadata(bytes, metadata, {40, 30, 150, 150}, nullptr));
    MemoryImageStream stream(bytes);
    RgbImage decoded;
    ASSERT_TRUE(JpegCodec().Decode(stream, decoded));
    EXPECT_EQ(decoded.Width(), 40);
    EXPECT_EQ(decoded.HorizontalDpi(), 150);
    EXPECT_EQ(decoded.VerticalDpi(), 150);
}

}  // namespace
}  // namespace lumivex
