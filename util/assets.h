// The table of embedded files and the in-memory read streams over them.
#pragma once

#include <cstdint>

struct EmbeddedAsset {
    const char* name;
    const unsigned char* bytes;
    int32_t length;
};

struct AssetStream {
    int32_t length;
    int32_t position;
    const unsigned char* bytes;
};

// Made at build time from data/ by tools/embed; the order is the order in which names are compared.
extern const EmbeddedAsset embeddedAssets[];
extern const int embeddedAssetCount;

AssetStream* openAsset(const char* name);
void closeAsset(AssetStream* stream);
int32_t readAsset(void* buffer, int32_t count, AssetStream* stream);
int32_t seekAsset(AssetStream* stream, int32_t offset, int8_t mode);
int32_t tellAsset(AssetStream* stream);
