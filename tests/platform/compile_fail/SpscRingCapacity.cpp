// SPDX-License-Identifier: GPL-3.0-or-later
// Must not compile for a capacity of zero or one that is not a power of two: the ring's mask
// would then skip or reuse slots.
#include "audio/SpscRing.h"

SpscRing<int, VELMORA_RING_CAPACITY> ring;
