// Where the libraries send the messages a user must see. The desktop application shows them as
// message boxes, lumivex-cli prints them on stderr, tests collect them. Codecs never report
// anything themselves; the callers that own a user-visible operation do.
#pragma once

#include <string>
#include <vector>

namespace lumivex {

// The icon a message box shows beside its text; front ends without boxes ignore it.
enum class MessageIcon { kInformation, kQuestion, kWarning, kError };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // caption is empty for the application's own boxes ("Lumivex"); video errors pass
    // "Debug message".
    virtual void ShowMessage(const std::string& text, const std::string& caption = {},
                             MessageIcon icon = MessageIcon::kInformation) = 0;
};

// Collects messages in order; for tests and for callers that report them later.
class CollectingMessageSink : public MessageSink {
public:
    void ShowMessage(const std::string& text, const std::string& caption = {},
                     MessageIcon icon = MessageIcon::kInformation) override {
        messages.push_back(text);
        captions.push_back(caption);
        icons.push_back(icon);
    }
    std::vector<std::string> messages;
    std::vector<std::string> captions;
    std::vector<MessageIcon> icons;
};

}  // namespace lumivex
