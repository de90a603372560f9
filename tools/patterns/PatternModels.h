#pragma once

// The empty models file shipped as data/Pattern/Models.dat: a compound file
// whose root holds one empty storage `MODELS`. Every models file of the
// program starts as a copy of it; the program never builds one itself.

#include <string>

namespace kroyna::patterns {

inline constexpr const char* kModelsPatternName = "Models.dat";

// The bytes of the empty models file (the same on every run).
std::string patternModelsBytes();

}  // namespace kroyna::patterns
