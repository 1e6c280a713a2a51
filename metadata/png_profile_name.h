// The name of a PNG's colour profile.
#pragma once

#include <cstdint>
#include <vector>

namespace lumivex {

// exiv2 writes the iCCP chunk of a profile it did not read from the file with an empty name,
// which PNG does not allow (the name takes 1 to 79 characters), and other readers then drop the
// profile. Gives such a chunk the name "ICC profile" and a new CRC; any other PNG is left alone.
void NameUnnamedPngProfile(std::vector<uint8_t>& png);

}  // namespace lumivex
