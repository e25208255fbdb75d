// Keyboard lock state, stand-in until the X keyboard reader exists: all keys up.
#include "platform/keylocks.h"

PlatKeyState plat_key_state() { return PlatKeyState{}; }
