#pragma once

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// One adjustable setting of a capture device, as its display dialog shows it.
struct CaptureControl {
    enum class Kind { Integer, Boolean, Menu };

    uint32_t id = 0;
    QString name;
    Kind kind = Kind::Integer;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t step = 1;
    int32_t value = 0;
    // For menus: the item values with their names.
    std::vector<std::pair<int32_t, QString>> menuItems;
};
