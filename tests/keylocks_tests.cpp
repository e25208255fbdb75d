// The keyboard lock reader without an X server: everything reads as off.
#include "platform/keylocks.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(KeyLocks, WithoutADisplayEverythingIsOff) {
  unsetenv("DISPLAY");
  for (int call = 0; call < 2; call++) {  // the failed open is remembered, not retried badly
    PlatKeyState k = plat_key_state();
    EXPECT_FALSE(k.caps_lock_on || k.num_lock_on || k.scroll_lock_on || k.left_shift || k.right_shift ||
                 k.left_ctrl || k.right_ctrl || k.left_alt || k.right_alt || k.scroll_lock_down);
  }
}
