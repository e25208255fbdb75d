// Stand-ins for the frame builder until it exists.
#include "display/display.h"

void disp_clear_ring() {}
void disp_build_frame() {}
