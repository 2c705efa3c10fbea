// A bad argument or bad input that zmctl reports with exit status 2.
#pragma once

#include <stdexcept>
#include <string>

class CUsageError : public std::runtime_error {
public:
    explicit CUsageError(const std::string& message) : std::runtime_error(message) {}
};

//! Exit status for bad arguments and unusable input.
inline constexpr int kUsageExit = 2;
