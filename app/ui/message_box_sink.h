// MessageSink that shows each message as a modal message box with an OK button and the icon the
// caller names; the caption is "Lumivex" unless the caller gives one.
#pragma once

#include <QMessageBox>

#include "image/message_sink.h"

class QWidget;

namespace lumivex {

// The box icon of a message icon kind.
QMessageBox::Icon MessageBoxIcon(MessageIcon icon);

class MessageBoxSink : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* owner) : owner_(owner) {}
    void ShowMessage(const std::string& text, const std::string& caption = {},
                     MessageIcon icon = MessageIcon::kInformation) override;

private:
    QWidget* owner_;
};

}  // namespace lumivex
