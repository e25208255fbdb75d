// Marrowvale: the game's globals and its routines.
#pragma once

#include <cstdint>

struct RtString;

// The game's global variables, allocated by the prologue.
struct GameGlobals {
  float location;
  float has_carver;
  float limit_minutes;
  float limit_seconds;
  float limit_total;
  double deadline;
  RtString *exits[8];  // exits(1 TO 8)
  RtString *command;
};
extern GameGlobals *game;

void game_main();
RtString *game_read_command();  // FUNCTION read_command$
