#include "cli/cli_paths.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "image/image_codec.h"

namespace lumivex::cli {

namespace {

namespace fs = std::filesystem;

std::string FolderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

// /dev/null takes any number of outputs.
bool IsNullDevice(const struct stat& st) {
    return S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, 3);
}

std::string AbsoluteTarget(const std::string& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? fs::absolute(path, error).lexically_normal().string() : resolved.string();
}

}  // namespace

std::string LowerFirst(std::string text) {
    if (!text.empty() && std::isupper(static_cast<unsigned char>(text[0])) &&
        (text.size() < 2 || !std::isupper(static_cast<unsigned char>(text[1])))) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

std::string ReasonText(int error) {
    return LowerFirst(std::strerror(error));
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    const bool hasA = ::stat(a.c_str(), &sa) == 0;
    const bool hasB = ::stat(b.c_str(), &sb) == 0;
    if (hasA && hasB) {
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino && !IsNullDevice(sa);
    }
    return hasA == hasB && AbsoluteTarget(a) == AbsoluteTarget(b);
}

std::optional<std::string> OverlapProblem(const std::vector<std::string>& inputs,
                                          const std::vector<OutputPath>& outputs) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const OutputPath& out = outputs[i];
        for (const std::string& input : inputs) {
            if (SameFile(input, out.path)) {
                return out.path + ": is an input and cannot also be the output of " + out.option;
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (SameFile(outputs[j].path, out.path)) {
                return out.path + ": cannot be written by both " + outputs[j].option + " and " +
                       out.option;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> WritableProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return path + ": is a folder (give a file name)";
        }
        if (::access(path.c_str(), W_OK) == 0 ||
            (S_ISREG(st.st_mode) && ::access(FolderOf(path).c_str(), W_OK | X_OK) == 0)) {
            return std::nullopt;
        }
        return path + ": cannot be written (" + ReasonText(errno) + ")";
    }
    if (errno != ENOENT) {
        return path + ": cannot be written (" + ReasonText(errno) + ")";
    }
    const std::string folder = FolderOf(path);
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0) {
        return path + ": cannot be written (the folder " + folder + " does not exist)";
    }
    if (!S_ISDIR(folderInfo.st_mode)) {
        return path + ": cannot be written (" + folder + " is not a folder)";
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return path + ": cannot be written (" + ReasonText(errno) + ")";
    }
    return std::nullopt;
}

std::optional<std::string> PictureFormatProblem(const std::string& path) {
    if (CodecForWriting(path)) {
        return std::nullopt;
    }
    return path + ": no picture format is written under this name (the formats are " +
           WritableFormatsText() + ")";
}

std::optional<std::string> OutputsProblem(const std::vector<std::string>& inputs,
                                          const std::vector<OutputPath>& outputs) {
    if (std::optional<std::string> problem = OverlapProblem(inputs, outputs)) {
        return problem;
    }
    for (const OutputPath& out : outputs) {
        if (std::optional<std::string> problem = WritableProblem(out.path)) {
            return problem;
        }
    }
    return std::nullopt;
}

std::optional<std::string> UnusedQualityWarning(const std::optional<int>& quality,
                                                const std::string& output) {
    if (!quality || IsJpegExtension(LowerCaseExtension(output))) {
        return std::nullopt;
    }
    return "--quality: ignored, " + output + " is not written as JPEG";
}

}  // namespace lumivex::cli
