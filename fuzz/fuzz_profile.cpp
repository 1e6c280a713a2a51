// Feeds arbitrary text to the profile reader, reads back every value with each typed read, and
// checks that writing the record out and reading it again gives the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "profiles/enhance_params.h"

namespace {

void ReadEveryValue(const lumivex::EnhanceParams& params) {
    for (const auto& section : params.Sections()) {
        for (const std::string& key : section->keys) {
            bool flag = false;
            double real = 0;
            int32_t integer = 0;
            params.ReadBool(section->name, key, flag);
            params.ReadReal(section->name, key, real);
            params.ReadInt(section->name, key, integer);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    lumivex::EnhanceParams params;
    params.LoadFromText(text);
    ReadEveryValue(params);
    params.WriteInt("Fuzz", "Key", 7);

    // What the record writes reads back as the same record, the written value included.
    const std::string written = params.ToText();
    lumivex::EnhanceParams again;
    again.LoadFromText(written);
    int32_t value = 0;
    if (!again.ReadInt("Fuzz", "Key", value) || value != 7 || again.ToText() != written)
        std::abort();
    return 0;
}
