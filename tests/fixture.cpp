// Test fixture: the runtime's tables without threads or a window.
#include "fixture.h"
#include "core/core.h"

void rt_test_init() { rt_init_tables(0, nullptr); }
