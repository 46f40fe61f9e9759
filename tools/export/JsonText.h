#pragma once

#include <string>

namespace tavrin::exporter {

// `utf8` as a JSON string literal, quotes included.
std::string jsonString(const std::string& utf8);
// A number with up to `digits` significant digits, as JSON writes it.
std::string jsonNumber(double value, int digits = 10);

}  // namespace tavrin::exporter
