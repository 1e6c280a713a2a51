// Broken copies of a good file: the ways files arrive damaged from cameras, downloads and old
// archives. Every generator is deterministic, so a failing case names the same bytes each run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumivex::robustness {

using Bytes = std::vector<uint8_t>;

struct DamagedFile {
    std::string what;  // for failure messages: "cut at 7/16", "flips seed 12"
    Bytes bytes;
};

// The file cut at 0/16, 1/16, ... 15/16 of its length.
std::vector<DamagedFile> Truncations(const Bytes& good);
// count copies with 1 to 8 bytes each replaced by random values, and count copies with a run of
// up to 16 bytes set to 0xFF or 0x00 (the values that make lengths and counts extreme).
std::vector<DamagedFile> ByteFlips(const Bytes& good, int count);
// Both of the above.
std::vector<DamagedFile> AllDamage(const Bytes& good, int flips = 48);

void PutLe16(Bytes& bytes, size_t at, uint16_t value);
void PutLe32(Bytes& bytes, size_t at, uint32_t value);
void PutBe16(Bytes& bytes, size_t at, uint16_t value);
void PutBe32(Bytes& bytes, size_t at, uint32_t value);

}  // namespace lumivex::robustness
