#pragma once

namespace kroyna {

// The material code that stands for all materials ("<все материалы>") in
// lists and filters. No catalogue material has it and no row stores it.
inline constexpr int kAllMaterials = 999;

}  // namespace kroyna
