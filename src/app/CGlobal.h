#pragma once

#include <QString>

#include <cstdint>
#include <cstdio>

// The program's persistent settings, kept in the user's settings store under
// "Halvoren/tarsel", and the optional debug log. Read once on construction; written back
// only by Save. Of the values, only the six HSV ones (the colour range as lower bounds and
// widths) and DEBUG mean anything to the program; the rest are carried so that a Save keeps
// them.
class CGlobal {
public:
    // Starts from the defaults, reads the store, then opens the debug log if DEBUG is set.
    CGlobal();
    // Closes the debug log.
    ~CGlobal();
    CGlobal(const CGlobal&) = delete;
    CGlobal& operator=(const CGlobal&) = delete;

    // Loads every value the store holds. A value that is missing or does not read as a
    // number leaves its member as it was; a store that cannot be read leaves them all.
    void ReadRegistry();
    // Writes all 17 values, "CamShutdown" always as 0. Returns 1 when they were written and
    // 0 when the store could not be written.
    int WriteRegistry();

    bool HasDebugLog() const { return m_debugLog != nullptr; }

    QString DataPath;
    int32_t TransPreview = 60;
    int32_t Startup = 0;
    int32_t AutoCamStart = 0;
    int32_t CamShutdown = 0;
    int32_t CamSetting = 0;
    int32_t BlockScreensaver = 0;
    int32_t Debug = 0;
    int32_t Tutorial = 0;
    int32_t Mirror = 1;
    // The colour range in its stored form: lower bounds and widths (a saturation or value
    // width of 0 reaches up to 255).
    int32_t HsvH0 = 0;
    int32_t HsvH1 = 359;
    int32_t HsvV0 = 30;
    int32_t HsvV1 = 0;
    int32_t HsvS0 = 30;
    int32_t HsvS1 = 0;
    int32_t Fps = 30;

private:
    std::FILE* m_debugLog = nullptr;
};

// The debug log's file name, relative to the current folder.
inline constexpr const char* kDebugLogFileName = "TARSEL_DGB.log";
