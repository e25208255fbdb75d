// Marrowvale, lines 1 to 229 of game/marrowvale.bas: start-up, the turn loop, the
// command table, the rooms and two of the endings. One statement per line, with its
// line number; the BASIC text stands beside the C++ where it is not plain.
#include "display/display.h"
#include "game/game.h"
#include "game/translate.h"
#include "input/input.h"

GameGlobals *game = nullptr;

// INSTR(exits(location), word), with the subscript checked.
static int32_t exits_contain(RtString *word) {
  int32_t index = rt_subscript_check(num_round_int(game->location) - 1, 8);
  return rtstr_instr(1, game->exits[index], word, false);
}

// command = "<word>"
static int32_t command_is(RtString *word) { return rtstr_equal(game->command, word); }

// RETURN: back to the statement after the GOSUB that pushed the site.
#define RETURN_AT(line)                                   \
  do {                                                    \
    int32_t site = 0;                                     \
    RT_STMT(line, site = basic_gosub_pop());              \
    switch (site) {                                       \
      case 1: goto return_1;                              \
      case 2: goto return_2;                              \
      case 3: goto return_3;                              \
      case 4: goto return_4;                              \
      case 5: goto return_5;                              \
      case 6: goto return_6;                              \
      case 7: goto return_7;                              \
      case 8: goto return_8;                              \
      case 9: goto return_9;                              \
      case 10: goto return_10;                            \
    }                                                     \
  } while (0)

// IF location = <room> THEN GOSUB room<room>
#define GOSUB_ROOM(line, n, site)                         \
  RT_STMT(line, if (game->location == n) {                \
    basic_gosub_push(site);                               \
    GOTO_AFTER(line, room##n);                            \
  });                                                     \
  return_##site:

// IF location = <from> THEN location = <to>: GOTO command_done
#define MOVE(line, from, to) \
  RT_STMT(line, if (game->location == from) { game->location = to; GOTO_AFTER(line, command_done); })

static void allocate_globals() {
  game = static_cast<GameGlobals *>(rt_scratch_alloc(sizeof(GameGlobals)));
  *game = GameGlobals{};
  for (RtString *&exit_text : game->exits) exit_text = rtstr_new(0, false);
  game->command = rtstr_new(0, false);
}

void game_main() {
  rt_prologue();
  if (err_take_handler_jump()) err_exit_without_handler();  // the game sets no ON ERROR
  const uint32_t mark = temp_count;
  if (!game) allocate_globals();
  rt_chain_receive();

  RT_STMT(1, game->location = 1);
  RT_STMT(3, game->has_carver = 1);
  RT_STMT(6, scr_screen(12, 0, 0, 0, 0, 1));  // SCREEN 12
  RT_STMT(7, scr_color(7, 0, 0, 3));          // COLOR 7, 0
  RT_STMT(8, scr_cls(0, 0, 0));               // CLS
  RT_STMT(11, game->limit_minutes = 10);
  RT_STMT(12, game->limit_seconds = 0);
  RT_STMT(13, game->limit_total = game->limit_minutes * 60 + game->limit_seconds);
  RT_STMT(16, rtstr_assign(game->exits[0], LIT("WEST")); rtstr_release_temps(mark, 0));
  RT_STMT(17, rtstr_assign(game->exits[1], LIT("NORTH OR EAST")); rtstr_release_temps(mark, 0));
  RT_STMT(18, rtstr_assign(game->exits[2], LIT("NORTH OR SOUTH")); rtstr_release_temps(mark, 0));
  RT_STMT(19, rtstr_assign(game->exits[3], LIT("SOUTH OR EAST")); rtstr_release_temps(mark, 0));
  RT_STMT(20, rtstr_assign(game->exits[4], LIT("WEST OR EAST")); rtstr_release_temps(mark, 0));
  RT_STMT(21, rtstr_assign(game->exits[5], LIT("SOUTH OR WEST")); rtstr_release_temps(mark, 0));
  RT_STMT(22, rtstr_assign(game->exits[6], LIT("WEST OR NORTH")); rtstr_release_temps(mark, 0));
  RT_STMT(23, rtstr_assign(game->exits[7], LIT("EAST")); rtstr_release_temps(mark, 0));
  RT_STMT(25, basic_print_end());             // PRINT
  RT_STMT(26, basic_print_end());
  PRINT_ROW(27, "You wake on the holiday morning to the rich smell of dinner downstairs.");
  PRINT_ROW(28, "The house is warm and quiet, and your whole family should be here by");
  PRINT_ROW(29, "now. You stretch, get up and hope that nothing strange happens today.");
  RT_STMT(30, basic_print_end());
  basic_wait_for_key(32, mark);               // DO: LOOP WHILE INKEY$ = ""
  RT_STMT(33, game->deadline = double(num_timer(.001, true) + game->limit_total));

turn_loop:
  RT_LABEL(35);
  RT_STMT(36, scr_cls(0, 0, 0));
  RT_STMT(37, basic_print_end());
  RT_STMT(38, basic_print_end());
  RT_STMT(39, basic_print_item(rtstr_space(74)); basic_print_end(); rtstr_release_temps(mark, 0));
  RT_STMT(40, basic_print_item(rtstr_space(74)); basic_print_end(); rtstr_release_temps(mark, 0));
  RT_STMT(41, basic_print_item(rtstr_space(74)); basic_print_end(); rtstr_release_temps(mark, 0));
  RT_STMT(42, basic_print_item(rtstr_space(26)); basic_print_item(LIT("Marrowvale"));  // PRINT SPACE$(26); "Marrowvale"; SPACE$(11)
          basic_print_item(rtstr_space(11)); basic_print_end(); rtstr_release_temps(mark, 0));
  RT_STMT(43, basic_print_item(rtstr_space(63)); basic_print_end(); rtstr_release_temps(mark, 0));
  RT_STMT(44, basic_print_item(rtstr_space(33)); basic_print_item(LIT("Written by"));
          basic_print_item(rtstr_space(31)); basic_print_end(); rtstr_release_temps(mark, 0));
  RT_STMT(45, basic_print_item(rtstr_space(74)); basic_print_end(); rtstr_release_temps(mark, 0));
  PRINT_ROW(46, "                          the Marrowvale house players");
  RT_STMT(47, basic_print_end());
  PRINT_ROW(48, "                     with thanks to everyone who sat at the table");
  RT_STMT(49, basic_print_end());
  RT_STMT(50, basic_print_item(rtstr_space(38)); rtstr_release_temps(mark, 0));  // PRINT SPACE$(38);
  RT_STMT(51, if (rtstr_release_temps(mark, exits_contain(LIT("NORTH")))) {
    basic_print_item(LIT("N")); basic_print_end(); rtstr_release_temps(mark, 0);
  } else basic_print_end());
  RT_STMT(52, basic_print_item(LIT("*---------------------------------* ")); rtstr_release_temps(mark, 0));
  RT_STMT(53, basic_print_item(rtstr_release_temps(mark, exits_contain(LIT("WEST"))) ? LIT("W") : LIT(" "));
          rtstr_release_temps(mark, 0));
  RT_STMT(54, basic_print_item(LIT(" + ")); rtstr_release_temps(mark, 0));
  RT_STMT(55, basic_print_item(rtstr_release_temps(mark, exits_contain(LIT("EAST"))) ? LIT("E") : LIT(" "));
          rtstr_release_temps(mark, 0));
  PRINT_ROW(56, " *------------------------------------*");
  RT_STMT(57, basic_print_item(rtstr_space(38)); rtstr_release_temps(mark, 0));
  RT_STMT(58, if (rtstr_release_temps(mark, exits_contain(LIT("SOUTH")))) {
    basic_print_item(LIT("S")); basic_print_end(); rtstr_release_temps(mark, 0);
  } else basic_print_end());
  RT_STMT(59, basic_print_end());
  PRINT_ROW(60, "If you are stuck just type HELP.");
  RT_STMT(61, basic_print_end());
  RT_STMT(62, basic_gosub_push(1); GOTO_AFTER(62, show_room));  // GOSUB show_room
return_1:
  RT_STMT(63, basic_gosub_push(2); GOTO_AFTER(63, do_command));  // GOSUB do_command
return_2:
  GOTO_AFTER(64, turn_loop);

show_room:
  RT_LABEL(66);
  GOSUB_ROOM(67, 1, 3);
  GOSUB_ROOM(68, 2, 4);
  GOSUB_ROOM(69, 3, 5);
  GOSUB_ROOM(70, 4, 6);
  GOSUB_ROOM(71, 5, 7);
  GOSUB_ROOM(72, 6, 8);
  GOSUB_ROOM(73, 7, 9);
  GOSUB_ROOM(74, 8, 10);
  RETURN_AT(76);

do_command:
  RT_LABEL(78);
  RT_STMT(79, basic_print_item(LIT("> ")); rtstr_release_temps(mark, 0));  // PRINT "> ";
  RT_STMT(80, rtstr_assign(game->command, game_read_command()); rtstr_release_temps(mark, 0));
  RT_STMT(81, rtstr_assign(game->command, rtstr_ltrim(rtstr_rtrim(rtstr_ucase(game->command))));
          rtstr_release_temps(mark, 0));
  RT_STMT(82, if (rtstr_release_temps(mark, command_is(LIT("END")) | command_is(LIT("QUIT")))) rt_end());
  RT_STMT(83, if (rtstr_release_temps(mark, command_is(LIT("EXIT")) | command_is(LIT("Q")))) rt_end());
  {
    bool help = false;  // IF command = "HELP" OR command = "H" OR command = "?" THEN
    RT_STMT(85, help = rtstr_release_temps(mark, command_is(LIT("HELP")) | command_is(LIT("H")) | command_is(LIT("?"))));
    if (help) {
      RT_STMT(86, scr_cls(0, 0, 0));
      RT_STMT(87, basic_print_item(LIT("HERE ARE SOME BASIC COMMANDS THAT CAN BE USED IN THE GAME..."));
              basic_print_end(); basic_print_end(); rtstr_release_temps(mark, 0));
      PRINT_ROW(88, "NORTH, EAST ,SOUTH, AND WEST - MOVE TO AN AVAILABLE LOCATION");
      PRINT_ROW(89, "EXAMINE (OBJECT)             - EXAMINE AN OBJECT");
      PRINT_ROW(90, "USE (OBJECT)                 - USE AN OBJECT");
      PRINT_ROW(91, "TAKE (OBJECT)                - TAKE OR MOVE AN OBJECT");
      PRINT_ROW(92, "INVENTORY                    - VIEW YOUR INVENTORY");
      PRINT_ROW(93, "DRINK                        - DRINK BEER");
      PRINT_ROW(94, "UNLOCK                       - UNLOCK DOOR");
      PRINT_ROW(95, "HELP                         - VIEW THIS SCREEN");
      PRINT_ROW(96, "END                          - END GAME");
      RT_STMT(97, basic_print_end());
      PRINT_ROW(98, "PRESS ANY KEY...");
      RT_STMT(99, kbd_sleep(0, false));  // SLEEP
      basic_drain_keys(100, mark);       // DO: LOOP UNTIL INKEY$ = ""
      basic_wait_for_key(101, mark);     // DO: LOOP WHILE INKEY$ = ""
    }
  }
  {
    bool inventory = false;  // IF command = "INVENTORY" OR ... OR command = "I" THEN
    RT_STMT(103, inventory = rtstr_release_temps(mark, command_is(LIT("INVENTORY")) | command_is(LIT("INV")) |
                                                           command_is(LIT("ITEMS")) | command_is(LIT("I"))));
    if (inventory) {
      RT_STMT(104, scr_cls(0, 0, 0));
      PRINT_ROW(105, "INVENTORY...");
      RT_STMT(106, basic_print_end());
      RT_STMT(107, if (game->has_carver == 1) {
        basic_print_item(LIT("An old turkey carver handed down by your father.")); basic_print_end();
        rtstr_release_temps(mark, 0);
      });
      RT_STMT(108, basic_print_end());
      PRINT_ROW(109, "PRESS ANY KEY...");
      basic_drain_keys(110, mark);
      basic_wait_for_key(111, mark);
    }
  }
  {
    bool north = false;
    RT_STMT(113, north = rtstr_release_temps(mark, command_is(LIT("GO NORTH")) | command_is(LIT("NORTH")) |
                                                       command_is(LIT("N"))));
    if (north) {
      MOVE(114, 2, 3);
      MOVE(115, 3, 4);
      MOVE(116, 7, 6);
    }
  }
  {
    bool east = false;
    RT_STMT(118, east = rtstr_release_temps(mark, command_is(LIT("GO EAST")) | command_is(LIT("EAST")) |
                                                      command_is(LIT("E"))));
    if (east) {
      MOVE(119, 2, 1);
      MOVE(120, 4, 5);
      MOVE(121, 5, 6);
      MOVE(122, 8, 7);
    }
  }
  {
    bool south = false;
    RT_STMT(124, south = rtstr_release_temps(mark, command_is(LIT("GO SOUTH")) | command_is(LIT("SOUTH")) |
                                                       command_is(LIT("S"))));
    if (south) {
      MOVE(125, 4, 3);
      MOVE(126, 3, 2);
      MOVE(127, 6, 7);
    }
  }
  {
    bool west = false;
    RT_STMT(129, west = rtstr_release_temps(mark, command_is(LIT("GO WEST")) | command_is(LIT("WEST")) |
                                                      command_is(LIT("W"))));
    if (west) {
      MOVE(130, 1, 2);
      MOVE(131, 6, 5);
      MOVE(132, 5, 4);
      MOVE(133, 7, 8);
    }
  }
  {
    bool turkey = false;  // IF command = "EXAMINE TURKEY" AND location = 8 THEN
    RT_STMT(136, turkey = rtstr_release_temps(mark, command_is(LIT("EXAMINE TURKEY")) & -(game->location == 8)));
    if (turkey) {
      RT_STMT(137, scr_cls(0, 0, 0));
      PRINT_ROW(138, "A hellish creature squats on the kitchen table. Its cry is a");
      PRINT_ROW(139, "gurgling shriek, its red eyes burn, and it hungers for the flesh");
      PRINT_ROW(140, "of humans...");
      basic_drain_keys(141, mark);
      basic_wait_for_key(142, mark);
    }
  }
  {
    bool carver = false;  // IF command = "EXAMINE CARVER" AND has_carver = 1 THEN
    RT_STMT(144, carver = rtstr_release_temps(mark, command_is(LIT("EXAMINE CARVER")) & -(game->has_carver == 1)));
    if (carver) {
      RT_STMT(145, scr_cls(0, 0, 0));
      PRINT_ROW(146, "An electric carving knife. It hums when you press its switch");
      PRINT_ROW(147, "If any tool can carve up a demonic turkey, surely this one will.");
      basic_drain_keys(148, mark);
      basic_wait_for_key(149, mark);
    }
  }
  {
    bool use = false;  // IF command = "USE CARVER" AND location = 8 AND has_carver = 1 THEN
    RT_STMT(151, use = rtstr_release_temps(mark, command_is(LIT("USE CARVER")) & -(game->location == 8) &
                                                     -(game->has_carver == 1)));
    if (use) RT_STMT(152, scr_cls(0, 0, 0); GOTO_AFTER(152, victory));  // CLS: GOTO victory
  }
  {
    bool flee = false;  // IF command = "FLEE HOUSE" THEN
    RT_STMT(157, flee = rtstr_release_temps(mark, command_is(LIT("FLEE HOUSE"))));
    if (flee) RT_STMT(158, scr_cls(0, 0, 0); GOTO_AFTER(158, flight));  // CLS: GOTO flight
  }
command_done:
  RT_LABEL(164);
  RETURN_AT(165);

room1:
  RT_LABEL(167);
  PRINT_ROW(168, "You stand on the landing outside your bedroom. The smell of roast");
  PRINT_ROW(169, "fills the whole house. You have called for your mother and father");
  PRINT_ROW(170, "twice and nobody answers you.");
  RETURN_AT(171);
room2:
  RT_LABEL(173);
  PRINT_ROW(174, "You walk slowly down the creaking staircase, step by careful step,");
  PRINT_ROW(175, "and each light is on.");
  RETURN_AT(176);
room3:
  RT_LABEL(178);
  PRINT_ROW(179, "You are in a hallway lined with tacky, festive wallpaper: red holly,");
  PRINT_ROW(180, "bells, reindeer and snowmen grinning at every turn.");
  RETURN_AT(181);
room4:
  RT_LABEL(183);
  PRINT_ROW(184, "You call out again and still nobody answers. Another short hall");
  PRINT_ROW(185, "stretches far ahead of you, quiet and dim and so long.");
  RETURN_AT(186);
room5:
  RT_LABEL(188);
  PRINT_ROW(189, "Somewhere in the distance a radio is playing an old holiday tune,");
  PRINT_ROW(190, "cutting in and out, as if the signal is weak.");
  RETURN_AT(191);
room6:
  RT_LABEL(193);
  PRINT_ROW(194, "A man's voice drifts through the walls, loud and cheerful, talking as");
  PRINT_ROW(195, "if the whole family were listening.");
  RETURN_AT(196);
room7:
  RT_LABEL(198);
  PRINT_ROW(199, "You stand before the dining room, where a bright white light is");
  PRINT_ROW(200, "shining out and hiding what's there.");
  RETURN_AT(201);
room8:
  RT_LABEL(203);
  PRINT_ROW(204, "A stranger standing by the kitchen table laughs at you. Then his face");
  PRINT_ROW(205, "stretches, his arms turn into feathered wings, and he swells into a");
  PRINT_ROW(206, "giant mutant turkey, gobbling at the ceiling.");
  RETURN_AT(207);

victory:
  RT_LABEL(209);
  RT_STMT(210, scr_color(2, 0, 0, 3));  // COLOR 2, 0
  RT_STMT(211, scr_cls(0, 0, 0));
  PRINT_ROW(212, "You switch on the carver and leap at the beast. The blade roars,");
  PRINT_ROW(213, "feathers fly, and the mutant shrieks, shrinks and fades away at last.");
  PRINT_ROW(214, "Your family rushes in and watches in horror while you carve up the");
  PRINT_ROW(215, "holiday dinner on the table. Then the smell of the roast returns, and");
  PRINT_ROW(216, "you are the one who laughs last.");
  RT_STMT(217, basic_print_end());
  basic_wait_for_key(218, mark);
  RT_STMT(219, rt_end());

flight:
  RT_LABEL(221);
  RT_STMT(222, scr_color(2, 0, 0, 3));
  RT_STMT(223, scr_cls(0, 0, 0));
  PRINT_ROW(224, "You turn and run out of the house, screaming down the frosty streets,");
  PRINT_ROW(225, "until two men in white coats cart you off to a lovely, padded cell.");
  PRINT_ROW(226, "Next time, perhaps, you should stay and face that awful turkey yourself.");
  RT_STMT(227, basic_print_end());
  basic_wait_for_key(228, mark);
  RT_STMT(229, rt_end());
}
