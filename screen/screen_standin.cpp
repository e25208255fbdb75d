// Stand-ins for the screen model until it exists.
#include "screen/screen.h"

void scr_startup() {}
void scr_end_prompt() {}
