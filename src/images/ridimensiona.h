#pragma once
// The shrinking filter: a separable Lanczos filter (three lobes) whose reach
// grows with the reduction, so that every source pixel counts (no aliasing),
// in fixed-point arithmetic, spread over the machine's cores for large
// pictures.
#include "caricaimmagine.h"

class cDIBSection;

namespace Ridimensiona {

// Resamples src into dst, which is already created at the wanted size.
// Equal sizes copy the pixels. threads 0: as many as the machine has.
void lanczos(const PixelBGR &src, cDIBSection &dst, int threads = 0);

}  // namespace Ridimensiona
