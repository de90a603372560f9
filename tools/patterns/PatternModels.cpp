#include "PatternModels.h"

#include "platform/compound/CompoundFile.h"

namespace kroyna::patterns {

std::string patternModelsBytes() {
  compound::Element root = compound::Element::storage("Root Entry");
  root.put(compound::Element::storage("MODELS"));
  return compound::toBytes(root, kModelsPatternName);
}

}  // namespace kroyna::patterns
