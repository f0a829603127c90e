// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the GIFT reader and writes back what it reads.
#include "engine/Gift.h"
#include "fuzz/FormatCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckFormat(std::string_view(reinterpret_cast<const char*>(data), size), ReadGift, GiftBytes);
    return 0;
}
