#include "imaging/BitmapFile.h"

#include "imaging/FrameRecord.h"

#include <array>
#include <filesystem>
#include <fstream>

namespace {

constexpr std::size_t kFileHeaderSize = 14;

std::array<char, kFileHeaderSize> FileHeader(uint32_t pixelBytes)
{
    const uint32_t fileSize = pixelBytes + kFileHeaderSize + kBitmapHeaderSize;
    const uint32_t pixelOffset = kFileHeaderSize + kBitmapHeaderSize;
    std::array<char, kFileHeaderSize> header{'B', 'M'};
    for (int i = 0; i < 4; ++i) {
        header[2 + i] = static_cast<char>(fileSize >> (8 * i));
        header[10 + i] = static_cast<char>(pixelOffset >> (8 * i));
    }
    return header;
}

}  // namespace

bool SaveBitmapFile(const FrameRecord* frame, const std::string& path)
{
    if (frame == nullptr || frame->size() < kBitmapHeaderSize)
        return false;
    const uint32_t pixelBytes = frame->header().biSizeImage;
    // A header that claims more pixel bytes than the record holds is refused, not read past.
    if (pixelBytes > frame->pixelCapacity())
        return false;

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    const auto fileHeader = FileHeader(pixelBytes);
    file.write(fileHeader.data(), fileHeader.size());
    file.write(reinterpret_cast<const char*>(frame->data()), std::streamsize(kBitmapHeaderSize + pixelBytes));
    file.close();
    return !file.fail();
}

std::optional<std::string> SaveSnapshot(const FrameRecord& frame, const std::string& folder, long long clockMs)
{
    const std::string name = "VIZMAR" + std::to_string(clockMs) + ".bmp";
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (!SaveBitmapFile(&frame, path))
        return std::nullopt;
    return path;
}
