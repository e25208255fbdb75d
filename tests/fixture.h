// Brings the runtime's tables up once per test process, without threads or a window.
#pragma once

void rt_test_init();
