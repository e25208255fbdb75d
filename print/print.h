// Printing: LPRINT's printer page and printing of pages and images.
#pragma once

// Housekeeping: print the page after 10 idle seconds.
void prn_idle_check();
// Shutdown: print a pending page.
void prn_flush_pending();
