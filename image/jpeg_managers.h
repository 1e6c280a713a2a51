// The glue between libjpeg and Lumivex: an error manager that returns control to the codec call
// on a fatal error, and source and destination managers over an ImageStream. Everything here is
// plain data, so that a longjmp out of the library never skips a destructor.
#pragma once

// jpeglib.h needs size_t and FILE declared first.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include "image/image_stream.h"

namespace lumivex {

constexpr int kJpegMessageSize = 256;
constexpr size_t kJpegBufferSize = 4096;

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;               // where a fatal error returns to
    char message[kJpegMessageSize];  // the fatal error's text
    char warning[kJpegMessageSize];  // the text of warningCode's warning
    int warningCode;                 // the first warning that marks damaged pixels, or 0
};

// Fills in the library's standard error manager with fatal errors formatted into message and a
// longjmp to jump, and the first warning about damaged or missing picture data kept in warning
// instead of printed (other warnings and trace messages are dropped). Returns &manager->pub.
jpeg_error_mgr* SetUpJpegErrors(JpegErrorManager* manager);

// Ends the current library call as a fatal error with text, like the library's own errors.
[[noreturn]] void FailJpeg(j_common_ptr info, const char* text);

struct JpegSource {
    jpeg_source_mgr pub;
    ImageStream* stream;
    bool startOfFile;
    JOCTET buffer[kJpegBufferSize];
};

// Reads through source (which must outlive the decompression) from stream.
void InstallJpegSource(j_decompress_ptr info, JpegSource* source, ImageStream* stream);

struct JpegDestination {
    jpeg_destination_mgr pub;
    ImageStream* stream;
    JOCTET buffer[kJpegBufferSize];
};

// Writes through destination (which must outlive the compression) to stream; the stream is
// flushed at the end, and a short write or failed flush is the library's file-write error.
void InstallJpegDestination(j_compress_ptr info, JpegDestination* destination, ImageStream* stream);

}  // namespace lumivex
