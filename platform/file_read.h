// Reading a whole file into memory (font loading).
#pragma once

#include <cstddef>
#include <cstdint>

// Reads the named file (length bytes of name, not terminated) into a new malloc'd
// buffer. Backslashes in the name count as directory separators. False on any failure.
bool plat_read_whole_file(const uint8_t *name, int32_t length, uint8_t **data, size_t *size);
