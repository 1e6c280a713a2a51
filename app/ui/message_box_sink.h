// MessageSink that shows each message as a modal message box with an OK button; the caption is
// "Lumivex" unless the caller gives one.
#pragma once

#include "image/message_sink.h"

class QWidget;

namespace lumivex {

class MessageBoxSink : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* owner) : owner_(owner) {}
    void ShowMessage(const std::string& text, const std::string& caption = {}) override;

private:
    QWidget* owner_;
};

}  // namespace lumivex
