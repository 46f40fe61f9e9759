#pragma once

#include <stdexcept>
#include <string>

namespace tavrin::exporter {

// A failure that ends the run with one line on standard error: the text says what could not be
// done and why, in English.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace tavrin::exporter
