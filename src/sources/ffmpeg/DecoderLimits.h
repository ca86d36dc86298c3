#pragma once

#include <cstdint>

// The largest picture (width × height) any of our decoders allocates: 8K video fits. A damaged
// picture of a few bytes may announce any size, and a decoder would allocate and clear it all
// before finding it broken; one that claims more is refused instead.
constexpr int64_t kMaxDecodedPixels = int64_t(1) << 25;
