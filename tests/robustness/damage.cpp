#include "tests/robustness/damage.h"

#include <algorithm>
#include <random>

namespace lumivex::robustness {

std::vector<DamagedFile> Truncations(const Bytes& good) {
    std::vector<DamagedFile> out;
    for (size_t part = 0; part < 16; ++part) {
        const size_t length = good.size() * part / 16;
        out.push_back({"cut at " + std::to_string(part) + "/16",
                       Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length))});
    }
    return out;
}

std::vector<DamagedFile> ByteFlips(const Bytes& good, int count) {
    std::vector<DamagedFile> out;
    if (good.empty())
        return out;
    std::mt19937 random(20261208);
    std::uniform_int_distribution<size_t> position(0, good.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int seed = 0; seed < count; ++seed) {
        Bytes bytes = good;
        const int flips = 1 + seed % 8;
        for (int i = 0; i < flips; ++i)
            bytes[position(random)] = static_cast<uint8_t>(byte(random));
        out.push_back({"random bytes, case " + std::to_string(seed), std::move(bytes)});
    }
    for (int seed = 0; seed < count; ++seed) {
        Bytes bytes = good;
        const size_t start = position(random);
        const size_t end = std::min(good.size(), start + 1 + static_cast<size_t>(seed % 16));
        std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                  bytes.begin() + static_cast<std::ptrdiff_t>(end), seed % 2 == 0 ? 0xFF : 0x00);
        out.push_back({"extreme run, case " + std::to_string(seed), std::move(bytes)});
    }
    return out;
}

std::vector<DamagedFile> AllDamage(const Bytes& good, int flips) {
    std::vector<DamagedFile> out = Truncations(good);
    std::vector<DamagedFile> flipped = ByteFlips(good, flips);
    out.insert(out.end(), std::make_move_iterator(flipped.begin()),
               std::make_move_iterator(flipped.end()));
    return out;
}

void PutLe16(Bytes& bytes, size_t at, uint16_t value) {
    bytes.at(at) = static_cast<uint8_t>(value);
    bytes.at(at + 1) = static_cast<uint8_t>(value >> 8);
}

void PutLe32(Bytes& bytes, size_t at, uint32_t value) {
    PutLe16(bytes, at, static_cast<uint16_t>(value));
    PutLe16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

void PutBe16(Bytes& bytes, size_t at, uint16_t value) {
    bytes.at(at) = static_cast<uint8_t>(value >> 8);
    bytes.at(at + 1) = static_cast<uint8_t>(value);
}

void PutBe32(Bytes& bytes, size_t at, uint32_t value) {
    PutBe16(bytes, at, static_cast<uint16_t>(value >> 16));
    PutBe16(bytes, at + 2, static_cast<uint16_t>(value));
}

}  // namespace lumivex::robustness
