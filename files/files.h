// Files and devices: the file-number table, OPEN and CLOSE, data I/O, file-system
// commands and memory images.
#pragma once

// CLOSE without arguments: closes every file and device.
void file_close_all();
