// platform/error.h: the one error type the core throws.
// Its text is what a user reads: the file, the line or byte where there is one, and the reason.
#pragma once

#include <stdexcept>
#include <string>

namespace quorvel {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace quorvel
