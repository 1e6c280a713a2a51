// Reading a reference picture's metadata into a PictureMetadata.
#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "metadata/exiv2_session.h"
#include "metadata/jpeg_part_segments.h"
#include "metadata/picture_metadata.h"

namespace lumivex {

namespace {

using metadata_internal::JpegPart;
using metadata_internal::JpegWithOnly;
using metadata_internal::NotePartProblems;
using metadata_internal::RunExiv2;

// IFD0 tags that describe how the source file stores its pixels (or that hold a part carried
// on separately); the result's encoder writes its own.
constexpr std::array<std::string_view, 33> kEncodingTags = {
    "NewSubfileType",
    "SubfileType",
    "BitsPerSample",
    "Compression",
    "PhotometricInterpretation",
    "FillOrder",
    "StripOffsets",
    "SamplesPerPixel",
    "RowsPerStrip",
    "StripByteCounts",
    "PlanarConfiguration",
    "Predictor",
    "TileWidth",
    "TileLength",
    "TileOffsets",
    "TileByteCounts",
    "SubIFDs",
    "ExtraSamples",
    "SampleFormat",
    "JPEGInterchangeFormat",
    "JPEGInterchangeFormatLength",
    "YCbCrSubSampling",
    "YCbCrPositioning",
    "YCbCrCoefficients",
    "ReferenceBlackWhite",
    "ColorMap",
    "JPEGTables",
    "JPEGProc",
    "PageNumber",
    "InterColorProfile",
    "XMLPacket",
    "IPTCNAA",
    "ImageResources",
};

// Thumbnails and the further pictures of a multi-picture file would show the old picture.
bool IsOtherPictureGroup(const std::string& group) {
    if (group == "Thumbnail" || group.rfind("SubImage", 0) == 0 ||
        group.rfind("SubThumb", 0) == 0) {
        return true;
    }
    return group.size() == 6 && group.rfind("Image", 0) == 0 && group[5] >= '2' && group[5] <= '9';
}

bool IsLeftOut(const Exiv2::Exifdatum& datum) {
    if (IsOtherPictureGroup(datum.groupName())) {
        return true;
    }
    return datum.groupName() == "Image" && std::find(kEncodingTags.begin(), kEncodingTags.end(),
                                                     datum.tagName()) != kEncodingTags.end();
}

std::vector<uint8_t> KeptExif(Exiv2::ExifData exif) {
    Exiv2::ExifThumb(exif).erase();
    for (auto it = exif.begin(); it != exif.end();) {
        it = IsLeftOut(*it) ? exif.erase(it) : std::next(it);
    }
    if (exif.empty()) {
        return {};
    }
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
    return blob;
}

std::string KeptXmp(Exiv2::XmpData xmp) {
    for (auto it = xmp.begin(); it != xmp.end();) {
        it = it->key().rfind("Xmp.xmp.Thumbnails", 0) == 0 ? xmp.erase(it) : std::next(it);
    }
    std::string packet;
    if (!xmp.empty() && Exiv2::XmpParser::encode(packet, xmp) != 0) {
        throw Exiv2::Error(Exiv2::kerErrorMessage, "the XMP packet cannot be encoded");
    }
    return packet;
}

std::vector<uint8_t> KeptIptc(const Exiv2::IptcData& iptc) {
    if (iptc.empty()) {
        return {};
    }
    const Exiv2::DataBuf data = Exiv2::IptcParser::encode(iptc);
    return std::vector<uint8_t>(data.pData_, data.pData_ + data.size_);
}

// An ICC profile starts with its own size; one that disagrees with it is damaged.
std::vector<uint8_t> KeptIcc(Exiv2::Image& image) {
    if (!image.iccProfileDefined()) {
        return {};
    }
    const Exiv2::DataBuf* profile = image.iccProfile();
    const auto* bytes = profile->pData_;
    const size_t size = static_cast<size_t>(profile->size_);
    if (size < 128 || Exiv2::getULong(bytes, Exiv2::bigEndian) != size) {
        throw Exiv2::Error(Exiv2::kerInvalidIccProfile);
    }
    // Bytes 16 to 19 name the colours the profile describes; every result is RGB, and a CMYK
    // or grey profile on it would make colour-managed readers misread it.
    constexpr size_t kColourSpaceAt = 16;
    const std::string space(reinterpret_cast<const char*>(bytes) + kColourSpaceAt, 4);
    if (space != "RGB ") {
        throw Exiv2::Error(Exiv2::kerErrorMessage,
                           "it describes " + space.substr(0, space.find_last_not_of(' ') + 1) +
                               " colours, and the result is RGB");
    }
    return std::vector<uint8_t>(bytes, bytes + size);
}

// A part as a reader of it sees it: its name in warnings, its segments in a JPEG, and how it is
// taken from a read image (true when something was kept).
struct PartReader {
    const char* name;
    JpegPart jpegPart;
    bool (*keep)(Exiv2::Image& image, PictureMetadata& metadata);
};

constexpr PartReader kPartReaders[] = {
    {"the EXIF block", JpegPart::kExif,
     [](Exiv2::Image& image, PictureMetadata& metadata) {
         metadata.exif = KeptExif(image.exifData());
         return !metadata.exif.empty();
     }},
    {"the XMP packet", JpegPart::kXmp,
     [](Exiv2::Image& image, PictureMetadata& metadata) {
         metadata.xmp = KeptXmp(image.xmpData());
         return !metadata.xmp.empty();
     }},
    {"the IPTC block", JpegPart::kIptc,
     [](Exiv2::Image& image, PictureMetadata& metadata) {
         metadata.iptc = KeptIptc(image.iptcData());
         return !metadata.iptc.empty();
     }},
    {"the ICC colour profile", JpegPart::kIcc,
     [](Exiv2::Image& image, PictureMetadata& metadata) {
         metadata.icc = KeptIcc(image);
         return !metadata.icc.empty();
     }},
};

Exiv2::Image::AutoPtr OpenAndRead(const uint8_t* data, size_t size) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(data, static_cast<long>(size));
    image->readMetadata();
    return image;
}

// Takes one part from image (read by read), with one warning when it is damaged or lost. A part
// that exiv2 complained about and that came out empty counts as left out.
void KeepPart(const PartReader& part, const std::function<Exiv2::Image&()>& read,
              PictureMetadata& metadata, std::vector<std::string>* warnings) {
    std::vector<std::string> log;
    std::string reason;
    bool kept = false;
    bool ok = RunExiv2([&] { kept = part.keep(read(), metadata); }, &log, &reason);
    if (ok && !kept && !log.empty()) {
        ok = false;
        reason = log.front();
        log.clear();
    }
    NotePartProblems(part.name, ok, reason, log, warnings);
}

// A JPEG: each part read from a JPEG of its own segments, so one damaged part loses no other.
PictureMetadata ReadJpegParts(const uint8_t* data, size_t size,
                              std::vector<std::string>* warnings) {
    PictureMetadata metadata;
    for (const PartReader& part : kPartReaders) {
        const std::vector<uint8_t> only = JpegWithOnly(data, size, part.jpegPart);
        if (only.empty()) {
            continue;
        }
        Exiv2::Image::AutoPtr image;
        KeepPart(
            part,
            [&]() -> Exiv2::Image& {
                image = OpenAndRead(only.data(), only.size());
                return *image;
            },
            metadata, warnings);
    }
    return metadata;
}

// A PNG or TIFF file: one read, then each part taken from it on its own.
PictureMetadata ReadWholeFile(const uint8_t* data, size_t size,
                              std::vector<std::string>* warnings) {
    PictureMetadata metadata;
    Exiv2::Image::AutoPtr image;
    std::vector<std::string> log;
    std::string reason;
    const bool read = RunExiv2([&] { image = OpenAndRead(data, size); }, &log, &reason);
    NotePartProblems("the metadata", read, reason, log, warnings);
    if (!read) {
        return metadata;
    }
    for (const PartReader& part : kPartReaders) {
        KeepPart(
            part, [&]() -> Exiv2::Image& { return *image; }, metadata, warnings);
    }
    return metadata;
}

// Only the formats the codecs read are handed to exiv2: its many other parsers stay out of reach
// of untrusted bytes.
int PictureType(const uint8_t* data, size_t size) {
    int type = Exiv2::ImageType::none;
    std::string ignored;
    RunExiv2([&] { type = Exiv2::ImageFactory::getType(data, static_cast<long>(size)); }, nullptr,
             &ignored);
    return type;
}

// The whole file, or nullopt with reason set.
std::optional<std::vector<uint8_t>> FileBytes(const std::string& path, std::string* reason) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *reason = std::strerror(errno);
        return std::nullopt;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    if (file.bad()) {
        *reason = "read error";
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

PictureMetadata ReadPictureMetadata(const std::string& path, std::vector<std::string>* warnings) {
    std::string reason;
    const std::optional<std::vector<uint8_t>> bytes = FileBytes(path, &reason);
    if (!bytes) {
        NotePartProblems("the metadata", false, reason, {}, warnings);
        return {};
    }
    return ReadPictureMetadata(bytes->data(), bytes->size(), warnings);
}

PictureMetadata ReadPictureMetadata(const uint8_t* data, size_t size,
                                    std::vector<std::string>* warnings) {
    if (data == nullptr || size == 0 || size > static_cast<size_t>(INT32_MAX)) {
        return {};
    }
    const int type = PictureType(data, size);
    if (type == Exiv2::ImageType::jpeg) {
        return ReadJpegParts(data, size, warnings);
    }
    if (type == Exiv2::ImageType::png || type == Exiv2::ImageType::tiff) {
        return ReadWholeFile(data, size, warnings);
    }
    return {};
}

}  // namespace lumivex
