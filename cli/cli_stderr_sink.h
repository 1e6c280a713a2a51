// Messages of the libraries, printed on stderr as "lumivex-cli: TEXT".
#pragma once

#include <cstdio>
#include <string>

#include "image/message_sink.h"

namespace lumivex::cli {

class StderrMessageSink : public MessageSink {
public:
    // The icon only matters to message boxes.
    void ShowMessage(const std::string& text, const std::string& caption = {},
                     MessageIcon /*icon*/ = MessageIcon::kInformation) override {
        if (caption.empty()) {
            std::fprintf(stderr, "lumivex-cli: %s\n", text.c_str());
        } else {
            std::fprintf(stderr, "lumivex-cli: %s: %s\n", caption.c_str(), text.c_str());
        }
    }
};

}  // namespace lumivex::cli
