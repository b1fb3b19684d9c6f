// The five stream operations over the embedded-asset table: open by name, read, seek, tell, close.
#include "util/assets.h"

#include <cstdlib>
#include <cstring>

AssetStream* openAsset(const char* name) {
    if (!name)
        return nullptr;
    for (int i = 0; i < embeddedAssetCount; ++i) {
        const EmbeddedAsset& entry = embeddedAssets[i];
        if (std::strcmp(entry.name, name) != 0)
            continue;
        auto* stream = static_cast<AssetStream*>(std::calloc(1, sizeof(AssetStream)));
        if (!stream)
            return nullptr;
        stream->length = entry.length;
        stream->bytes = entry.bytes;
        return stream;
    }
    return nullptr;
}

void closeAsset(AssetStream* stream) {
    std::free(stream);
}

int32_t readAsset(void* buffer, int32_t count, AssetStream* stream) {
    if (!stream || count <= 0)
        return 0;
    // Compared as a remainder so that a huge count cannot overflow position + count.
    int32_t remaining = stream->length - stream->position;
    int32_t n = count < remaining ? count : remaining;
    if (n <= 0)
        return 0;
    std::memcpy(buffer, stream->bytes + stream->position, static_cast<size_t>(n));
    stream->position += n;
    return n;
}

int32_t seekAsset(AssetStream* stream, int32_t offset, int8_t mode) {
    if (!stream)
        return 0;
    // Worked out in 64 bits: the target may lie far outside the 32-bit range before it is clamped.
    int64_t target;
    switch (mode) {
    case 0:
        target = offset;
        break;
    case 1:
        target = int64_t{stream->position} + offset;
        break;
    case 2:
        target = int64_t{stream->length} + offset;
        break;
    default:
        return stream->position;
    }
    if (target > stream->length)
        target = stream->length;
    if (target < 0)
        target = 0;
    stream->position = static_cast<int32_t>(target);
    return stream->position;
}

int32_t tellAsset(AssetStream* stream) {
    return stream ? stream->position : 0;
}
