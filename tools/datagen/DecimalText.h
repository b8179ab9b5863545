#pragma once

#include <cstdio>
#include <string>

// A number as the text formats write it: fixed point with six decimals ("%.6f").
inline std::string decimalText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}
