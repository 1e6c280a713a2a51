#include "image/jpeg_managers.h"

#include <cstring>

namespace lumivex {

namespace {

// The library's own refusals of a picture's size (dimensions beyond what it handles, working
// memory beyond the limit the decoder sets) read like the decoder's own size refusal.
bool IsSizeRefusal(int code) {
    return code == JERR_IMAGE_TOO_BIG || code == JERR_WIDTH_OVERFLOW ||
           code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE;
}

void ErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    if (IsSizeRefusal(info->err->msg_code)) {
        std::snprintf(manager->message, sizeof manager->message, "%s",
                      "Picture too large for memory");
    } else {
        (*info->err->format_message)(info, manager->message);
    }
    std::longjmp(manager->jump, 1);
}

// The warnings that mean some of the pixels are not the file's: its data ends, or is damaged and
// skipped over. The rest (an unknown JFIF version, an odd Adobe marker, junk between header
// segments) leave the pixels whole.
bool MarksDamagedPixels(const jpeg_error_mgr& errors) {
    switch (errors.msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION:
            return true;
        case JWRN_EXTRANEOUS_DATA: {
            // Skipped bytes before a restart marker were entropy-coded data that did not decode.
            const int marker = errors.msg_parm.i[1];
            return marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7;
        }
        default:
            return false;
    }
}

void EmitMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;  // trace output
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    ++info->err->num_warnings;
    if (manager->warningCode == 0 && MarksDamagedPixels(*info->err)) {
        manager->warningCode = info->err->msg_code;
        (*info->err->format_message)(info, manager->warning);
    }
}

JpegSource* SourceOf(j_decompress_ptr info) {
    return reinterpret_cast<JpegSource*>(info->src);
}

void InitSource(j_decompress_ptr info) {
    SourceOf(info)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr info) {
    JpegSource* source = SourceOf(info);
    const int32_t got = source->stream->Read(source->buffer, static_cast<int32_t>(kJpegBufferSize));
    if (got <= 0) {
        if (source->startOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        // An inserted end-of-image marker lets the library finish the picture.
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        source->pub.bytes_in_buffer = 2;
    } else {
        source->pub.bytes_in_buffer = static_cast<size_t>(got);
    }
    source->pub.next_input_byte = source->buffer;
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    JpegSource* source = SourceOf(info);
    while (count > static_cast<long>(source->pub.bytes_in_buffer)) {
        count -= static_cast<long>(source->pub.bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

JpegDestination* DestinationOf(j_compress_ptr info) {
    return reinterpret_cast<JpegDestination*>(info->dest);
}

void InitDestination(j_compress_ptr info) {
    JpegDestination* destination = DestinationOf(info);
    destination->pub.next_output_byte = destination->buffer;
    destination->pub.free_in_buffer = kJpegBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr info) {
    JpegDestination* destination = DestinationOf(info);
    const auto size = static_cast<int32_t>(kJpegBufferSize);
    if (destination->stream->Write(destination->buffer, size) != size) {
        ERREXIT(info, JERR_FILE_WRITE);
    }
    InitDestination(info);
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    JpegDestination* destination = DestinationOf(info);
    const auto filled = static_cast<int32_t>(kJpegBufferSize - destination->pub.free_in_buffer);
    if (filled > 0 && destination->stream->Write(destination->buffer, filled) != filled) {
        ERREXIT(info, JERR_FILE_WRITE);
    }
    if (!destination->stream->Flush())
        ERREXIT(info, JERR_FILE_WRITE);
}

}  // namespace

jpeg_error_mgr* SetUpJpegErrors(JpegErrorManager* manager) {
    jpeg_std_error(&manager->pub);
    manager->pub.error_exit = ErrorExit;
    manager->pub.emit_message = EmitMessage;
    manager->message[0] = '\0';
    manager->warning[0] = '\0';
    manager->warningCode = 0;
    return &manager->pub;
}

void FailJpeg(j_common_ptr info, const char* text) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    std::snprintf(manager->message, sizeof manager->message, "%s", text);
    std::longjmp(manager->jump, 1);
}

void InstallJpegSource(j_decompress_ptr info, JpegSource* source, ImageStream* stream) {
    source->stream = stream;
    source->startOfFile = true;
    source->pub.init_source = InitSource;
    source->pub.fill_input_buffer = FillInputBuffer;
    source->pub.skip_input_data = SkipInputData;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = TermSource;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
    info->src = &source->pub;
}

void InstallJpegDestination(j_compress_ptr info, JpegDestination* destination,
                            ImageStream* stream) {
    destination->stream = stream;
    destination->pub.init_destination = InitDestination;
    destination->pub.empty_output_buffer = EmptyOutputBuffer;
    destination->pub.term_destination = TermDestination;
    info->dest = &destination->pub;
}

}  // namespace lumivex
