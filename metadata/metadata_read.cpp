// Reading a reference picture's metadata into a PictureMetadata.
#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "metadata/exiv2_session.h"
#include "metadata/picture_metadata.h"

namespace lumivex {

namespace {

using metadata_internal::Exiv2Messages;
using metadata_internal::RunGuarded;

// IFD0 tags that describe how the source file stores its pixels (or that hold a part carried
// on separately); the result's encoder writes its own.
constexpr std::array<std::string_view, 26> kEncodingTags = {
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
    return std::vector<uint8_t>(bytes, bytes + size);
}

// Each part on its own: one that fails to encode is dropped with a warning, the others stay.
PictureMetadata ReadParts(Exiv2::Image& image, Exiv2Messages& messages) {
    PictureMetadata metadata;
    if (!RunGuarded([&] { image.readMetadata(); }, messages, "the metadata cannot be read")) {
        return metadata;
    }
    RunGuarded([&] { metadata.exif = KeptExif(image.exifData()); }, messages,
               "the EXIF block is left out");
    RunGuarded([&] { metadata.xmp = KeptXmp(image.xmpData()); }, messages,
               "the XMP packet is left out");
    RunGuarded([&] { metadata.iptc = KeptIptc(image.iptcData()); }, messages,
               "the IPTC block is left out");
    RunGuarded([&] { metadata.icc = KeptIcc(image); }, messages,
               "the ICC colour profile is left out");
    return metadata;
}

// Only the formats the codecs read: a file that decoded as a picture is one of them, and exiv2's
// many other parsers stay out of reach of untrusted bytes.
bool IsPictureType(int type) {
    return type == Exiv2::ImageType::jpeg || type == Exiv2::ImageType::png ||
           type == Exiv2::ImageType::tiff;
}

template <typename Open>
PictureMetadata ReadWith(const Open& open, std::vector<std::string>* warnings) {
    Exiv2Messages messages(warnings, "metadata");
    PictureMetadata metadata;
    RunGuarded(
        [&] {
            Exiv2::Image::AutoPtr image = open();
            if (image.get() != nullptr) {
                metadata = ReadParts(*image, messages);
            }
        },
        messages, "the metadata cannot be read");
    return metadata;
}

}  // namespace

PictureMetadata ReadPictureMetadata(const std::string& path, std::vector<std::string>* warnings) {
    return ReadWith(
        [&]() -> Exiv2::Image::AutoPtr {
            if (!IsPictureType(Exiv2::ImageFactory::getType(path))) {
                return Exiv2::Image::AutoPtr();
            }
            return Exiv2::ImageFactory::open(path, false);
        },
        warnings);
}

PictureMetadata ReadPictureMetadata(const uint8_t* data, size_t size,
                                    std::vector<std::string>* warnings) {
    if (data == nullptr || size == 0 || size > static_cast<size_t>(INT32_MAX)) {
        return {};
    }
    const long length = static_cast<long>(size);
    return ReadWith(
        [&]() -> Exiv2::Image::AutoPtr {
            if (!IsPictureType(Exiv2::ImageFactory::getType(data, length))) {
                return Exiv2::Image::AutoPtr();
            }
            return Exiv2::ImageFactory::open(data, length);
        },
        warnings);
}

}  // namespace lumivex
