// Videos that ask to be shown turned (a phone held upright records its picture on its side and
// says so in the container): the turn they ask for, and the copy of a decoded picture turned.
#pragma once

#include <cstdint>

#include "video/av_owners.h"
#include "video/bgr_frame.h"

namespace lumivex::video {

// Quarter turns clockwise (0 to 3) the stream's display matrix asks for; 0 without one, and for
// a matrix that is no multiple of 90 degrees.
int ClockwiseQuarterTurns(const AVStream* stream);

// Copies the top-down B, G, R picture of width x height (rows stride bytes apart) into frame,
// turned clockwise by turns quarter turns, as frame's bottom-up rows; frame.width, height and
// stride must already be those of the turned picture, and frame.bytes that large.
void CopyTurned(const uint8_t* picture, int32_t stride, int32_t width, int32_t height, int turns,
                BgrFrame& frame);

}  // namespace lumivex::video
