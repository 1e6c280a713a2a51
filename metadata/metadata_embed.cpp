// Writing a PictureMetadata into a freshly encoded picture, with its own size and resolution.
#include <exiv2/exiv2.hpp>

#include <string>

#include "metadata/exiv2_session.h"
#include "metadata/picture_metadata.h"
#include "metadata/png_profile_name.h"

namespace lumivex {

namespace {

using metadata_internal::RunExiv2;

bool Writable(int imageType, Exiv2::MetadataId part) {
    const Exiv2::AccessMode mode = Exiv2::ImageFactory::checkMode(imageType, part);
    return mode == Exiv2::amWrite || mode == Exiv2::amReadWrite;
}

template <typename Data, typename Value>
void SetWherePresent(Data& data, const char* key, const Value& value) {
    for (auto& datum : data) {
        if (datum.key() == key) {
            datum = value;
        }
    }
}

Exiv2::ExifData ExifFor(const std::vector<uint8_t>& blob, const PictureGeometry& geometry) {
    Exiv2::ExifData exif;
    Exiv2::ExifParser::decode(exif, blob.data(), static_cast<uint32_t>(blob.size()));
    const auto width = static_cast<uint32_t>(geometry.width);
    const auto height = static_cast<uint32_t>(geometry.height);
    exif["Exif.Photo.PixelXDimension"] = width;
    exif["Exif.Photo.PixelYDimension"] = height;
    SetWherePresent(exif, "Exif.Image.ImageWidth", width);
    SetWherePresent(exif, "Exif.Image.ImageLength", height);
    if (geometry.dpiX > 0 && geometry.dpiY > 0) {
        exif["Exif.Image.XResolution"] = Exiv2::URational(geometry.dpiX, 1);
        exif["Exif.Image.YResolution"] = Exiv2::URational(geometry.dpiY, 1);
        exif["Exif.Image.ResolutionUnit"] = static_cast<uint16_t>(2);  // inches
    }
    return exif;
}

Exiv2::XmpData XmpFor(const std::string& packet, const PictureGeometry& geometry) {
    Exiv2::XmpData xmp;
    if (Exiv2::XmpParser::decode(xmp, packet) != 0) {
        throw Exiv2::Error(Exiv2::kerErrorMessage, "the XMP packet cannot be decoded");
    }
    SetWherePresent(xmp, "Xmp.exif.PixelXDimension", std::to_string(geometry.width));
    SetWherePresent(xmp, "Xmp.exif.PixelYDimension", std::to_string(geometry.height));
    SetWherePresent(xmp, "Xmp.tiff.ImageWidth", std::to_string(geometry.width));
    SetWherePresent(xmp, "Xmp.tiff.ImageLength", std::to_string(geometry.height));
    if (geometry.dpiX > 0 && geometry.dpiY > 0) {
        SetWherePresent(xmp, "Xmp.tiff.XResolution", std::to_string(geometry.dpiX) + "/1");
        SetWherePresent(xmp, "Xmp.tiff.YResolution", std::to_string(geometry.dpiY) + "/1");
        SetWherePresent(xmp, "Xmp.tiff.ResolutionUnit", std::string("2"));
    }
    return xmp;
}

void SetParts(Exiv2::Image& image, const PictureMetadata& metadata,
              const PictureGeometry& geometry) {
    const int type = image.imageType();
    if (!metadata.exif.empty() && Writable(type, Exiv2::mdExif)) {
        image.setExifData(ExifFor(metadata.exif, geometry));
    }
    if (!metadata.xmp.empty() && Writable(type, Exiv2::mdXmp)) {
        image.setXmpData(XmpFor(metadata.xmp, geometry));
    }
    if (!metadata.iptc.empty() && Writable(type, Exiv2::mdIptc)) {
        Exiv2::IptcData iptc;
        Exiv2::IptcParser::decode(iptc, metadata.iptc.data(),
                                  static_cast<uint32_t>(metadata.iptc.size()));
        image.setIptcData(iptc);
    }
    // exiv2's access table has no entry for the colour profile; its JPEG (APP2), PNG (iCCP) and
    // TIFF (InterColorProfile tag) writers all write it.
    if (!metadata.icc.empty()) {
        Exiv2::DataBuf profile(metadata.icc.data(), static_cast<long>(metadata.icc.size()));
        image.setIccProfile(profile, true);
    }
}

std::vector<uint8_t> WrittenBytes(Exiv2::BasicIo& io) {
    if (io.open() != 0) {
        throw Exiv2::Error(Exiv2::kerDataSourceOpenFailed, io.path(), "");
    }
    const long size = static_cast<long>(io.size());
    const Exiv2::DataBuf data = io.read(size);
    io.close();
    if (data.size_ != size) {
        throw Exiv2::Error(Exiv2::kerFailedToReadImageData);
    }
    return std::vector<uint8_t>(data.pData_, data.pData_ + data.size_);
}

}  // namespace

bool EmbedPictureMetadata(std::vector<uint8_t>& encoded, const PictureMetadata& metadata,
                          const PictureGeometry& geometry, std::vector<std::string>* warnings) {
    if (metadata.IsEmpty() || encoded.empty()) {
        return metadata.IsEmpty();
    }
    std::vector<uint8_t> result;
    std::string reason;
    const bool written = RunExiv2(
        [&] {
            Exiv2::Image::AutoPtr image =
                Exiv2::ImageFactory::open(encoded.data(), static_cast<long>(encoded.size()));
            image->readMetadata();
            SetParts(*image, metadata, geometry);
            image->writeMetadata();
            result = WrittenBytes(image->io());
            if (image->imageType() == Exiv2::ImageType::png)
                NameUnnamedPngProfile(result);
        },
        nullptr, &reason);
    if (!written && warnings != nullptr) {
        warnings->push_back("the metadata cannot be written; the picture is saved without it (" +
                            reason + ")");
    }
    if (written) {
        encoded.swap(result);
    }
    return written;
}

}  // namespace lumivex
