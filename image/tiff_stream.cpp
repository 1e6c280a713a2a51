#include "image/tiff_stream.h"

#include <cstdarg>
#include <cstdio>
#include <limits>

#include "image/rgb_image.h"

namespace lumivex {

namespace {

std::string Format(const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    return module && *module ? std::string(module) + ": " + text : std::string(text);
}

int KeepError(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto& messages = *static_cast<TiffMessages*>(user);
    if (messages.error.empty())
        messages.error = Format(module, format, args);
    return 1;  // handled: nothing reaches the library's default (stderr) handlers
}

int KeepWarning(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto& messages = *static_cast<TiffMessages*>(user);
    if (messages.warning.empty())
        messages.warning = Format(module, format, args);
    return 1;
}

// The process-wide handlers print on stderr; a few library paths still use them.
bool SilenceGlobalHandlers() {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandlerExt(nullptr);
    TIFFSetWarningHandlerExt(nullptr);
    return true;
}

TiffStreamState& State(thandle_t handle) {
    return *static_cast<TiffStreamState*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
    ImageStream& stream = *State(handle).stream;
    auto* out = static_cast<uint8_t*>(buffer);
    tmsize_t done = 0;
    while (done < size) {
        const int32_t step = static_cast<int32_t>(
            std::min<tmsize_t>(size - done, std::numeric_limits<int32_t>::max()));
        const int32_t got = stream.Read(out + done, step);
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size) {
    ImageStream& stream = *State(handle).stream;
    const auto* in = static_cast<const uint8_t*>(buffer);
    tmsize_t done = 0;
    while (done < size) {
        const int32_t step = static_cast<int32_t>(
            std::min<tmsize_t>(size - done, std::numeric_limits<int32_t>::max()));
        const int32_t written = stream.Write(in + done, step);
        if (written <= 0)
            return done > 0 ? done : -1;
        done += written;
    }
    return done;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    TiffStreamState& state = State(handle);
    constexpr toff_t kFailed = static_cast<toff_t>(-1);
    if (offset > static_cast<toff_t>(std::numeric_limits<int64_t>::max() / 2))
        return kFailed;
    int64_t target = static_cast<int64_t>(offset);
    if (whence == SEEK_SET) {
        target += state.base;
    } else if (whence == SEEK_CUR) {
        target += state.stream->Tell();
    } else if (whence == SEEK_END) {
        target += state.stream->Size();
    } else {
        return kFailed;
    }
    if (target < state.base || !SeekTo(*state.stream, target))
        return kFailed;
    return static_cast<toff_t>(target - state.base);
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t handle) {
    TiffStreamState& state = State(handle);
    const int64_t size = state.stream->Size();
    return size > state.base ? static_cast<toff_t>(size - state.base) : 0;
}

int MapProc(thandle_t, void**, toff_t*) {
    return 0;  // no memory mapping: every read goes through the stream
}

void UnmapProc(thandle_t, void*, toff_t) {}

}  // namespace

std::string TiffMessages::Reason(const std::string& fallback) const {
    if (!error.empty())
        return error;
    return warning.empty() ? fallback : warning;
}

TiffHandle OpenTiff(TiffStreamState& state, const char* mode) {
    static const bool silenced = SilenceGlobalHandlers();
    (void)silenced;
    state.base = state.stream->Tell();
    if (state.base < 0) {
        state.messages.error = "The stream has no position";
        return nullptr;
    }
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(),
                                                                         TIFFOpenOptionsFree);
    if (!options) {
        state.messages.error = "Out of memory";
        return nullptr;
    }
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxPixelDataBytes);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepError, &state.messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), KeepWarning, &state.messages);
    return TiffHandle(TIFFClientOpenExt("stream", mode, &state, ReadProc, WriteProc, SeekProc,
                                        CloseProc, SizeProc, MapProc, UnmapProc, options.get()));
}

}  // namespace lumivex
