// A channel list from arbitrary bytes: read into the three lists, every label made, and every
// channel found again by its name.
#include "catalogue/ChannelList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ChannelList lists;
    const int sets = LoadChannelText(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), lists);
    if (sets != static_cast<int>(lists.groupSets.size())) {
        __builtin_trap();
    }
    for (const auto& channel : lists.channels) {
        ChannelLabel(*channel);
        const ChannelInfo* found = FindChannelByName(lists, channel->name().toString());
        if (found == nullptr || found->name() != channel->name()) {
            __builtin_trap();
        }
    }
    return 0;
}
