// Stand-in until the printer page exists: no page is ever pending.
#include "print/print.h"

void prn_idle_check() {}
void prn_flush_pending() {}
