// Marrowvale's process entry: the runtime starts the game's main routine.
#include "core/core.h"
#include "game/game.h"

int main(int argc, char **argv) { return rt_entry(argc, argv, game_main); }
