// Shared set-up of the fuzz targets: the string memory without the rest of the
// runtime, and a clean slate (no pending error, no temporaries) for every input.
#pragma once

#include <cstdint>

void fuzz_init_once();
// Frees the input's temporaries and clears a pending error; returns that error.
uint32_t fuzz_end_input(uint32_t mark);
