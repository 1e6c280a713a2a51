#include "app/ui/workflow_page.h"

#include <QPaintEvent>
#include <QPainter>
#include <utility>

namespace lumivex {

namespace {

constexpr int kBandCount = 20;
constexpr double kPagePointSize = 8.5;

QFont PageFont(bool bold) {
    QFont font("Verdana");
    font.setPointSizeF(kPagePointSize);
    font.setBold(bold);
    return font;
}

}  // namespace

QColor GradientBandColour(int band, const QColor& end) {
    const int start[3] = {210, 220, 250};
    const int stop[3] = {end.red(), end.green(), end.blue()};
    int channel[3];
    for (int i = 0; i < 3; ++i) {
        channel[i] = start[i] + band * (stop[i] - start[i]) / kBandCount;
    }
    return QColor(channel[0], channel[1], channel[2]);
}

WorkflowPage::WorkflowPage(std::string stepName, WorkflowHost& host, QWidget* parent)
    : QWidget(parent),
      stepName_(std::move(stepName)),
      host_(host),
      regularFont_(PageFont(false)),
      boldFont_(PageFont(true)) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

bool WorkflowPage::HandleCommand(int /*commandId*/) {
    return false;
}

bool WorkflowPage::UpdateCommand(int /*commandId*/, CommandState& /*state*/) {
    return false;
}

void WorkflowPage::paintEvent(QPaintEvent* /*event*/) {
    const int bandArea = height() / 10;
    if (bandArea <= 15) {
        return;
    }
    QPainter painter(this);
    const QColor end = palette().color(QPalette::Base);
    for (int band = 0; band < kBandCount; ++band) {
        const int top = band * bandArea / kBandCount;
        const int bottom = (band + 1) * bandArea / kBandCount;
        painter.fillRect(0, top, width(), bottom - top, GradientBandColour(band, end));
    }
}

}  // namespace lumivex
