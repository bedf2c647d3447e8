#pragma once

#include <cstdint>

namespace vortan {

// count pixels of the colour layer with the map over them: each pixel of a material (any
// map colour but black) blended with the colour at `opacity` percent, rounded to the
// nearest value (halves up); "nothing" leaves the colour as it is. out may be colour.
void blendMaterials(uint32_t* out, const uint32_t* colour, const uint32_t* map, int count, int opacity);

} // namespace vortan
