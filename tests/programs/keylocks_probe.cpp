// Prints the keyboard's lock and modifier state as the runtime reads it, one line.
#include "platform/keylocks.h"

#include <cstdio>

int main() {
  PlatKeyState k = plat_key_state();
  printf("caps=%d num=%d scroll=%d lshift=%d rshift=%d lctrl=%d rctrl=%d lalt=%d ralt=%d scrolldown=%d\n",
         k.caps_lock_on, k.num_lock_on, k.scroll_lock_on, k.left_shift, k.right_shift, k.left_ctrl,
         k.right_ctrl, k.left_alt, k.right_alt, k.scroll_lock_down);
  return 0;
}
