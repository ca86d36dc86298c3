#pragma once

#include <optional>
#include <string>

class FrameRecord;

// Writes the record as a BMP file (14-byte file header, the record's header, biSizeImage
// pixel bytes). Returns false, having written nothing, when there is no record or the
// file cannot be created.
bool SaveBitmapFile(const FrameRecord* frame, const std::string& path);

// Writes the record as the snapshot "VIZMAR<clockMs>.bmp" in folder. Returns the path
// written, or nothing when it could not be written.
std::optional<std::string> SaveSnapshot(const FrameRecord& frame, const std::string& folder, long long clockMs);
