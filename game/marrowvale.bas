location = 1
' the carver is carried from the start and never dropped
has_carver = 1
DIM SHARED exits(1 TO 8) AS STRING, command AS STRING, deadline AS DOUBLE
' a 640 x 480 screen, light grey on black
SCREEN 12
COLOR 7, 0
CLS

' ten minutes to reach the kitchen
limit_minutes = 10
limit_seconds = 0
limit_total = limit_minutes * 60 + limit_seconds

' the exits of each room, as the compass shows them
exits(1) = "WEST"
exits(2) = "NORTH OR EAST"
exits(3) = "NORTH OR SOUTH"
exits(4) = "SOUTH OR EAST"
exits(5) = "WEST OR EAST"
exits(6) = "SOUTH OR WEST"
exits(7) = "WEST OR NORTH"
exits(8) = "EAST"

PRINT
PRINT
PRINT "You wake on the holiday morning to the rich smell of dinner downstairs."
PRINT "The house is warm and quiet, and your whole family should be here by"
PRINT "now. You stretch, get up and hope that nothing strange happens today."
PRINT

DO: LOOP WHILE INKEY$ = ""
deadline = TIMER(.001) + limit_total

turn_loop:
CLS
PRINT
PRINT
PRINT SPACE$(74)
PRINT SPACE$(74)
PRINT SPACE$(74)
PRINT SPACE$(26); "Marrowvale"; SPACE$(11)
PRINT SPACE$(63)
PRINT SPACE$(33); "Written by"; SPACE$(31)
PRINT SPACE$(74)
PRINT "                          the Marrowvale house players"
PRINT
PRINT "                     with thanks to everyone who sat at the table"
PRINT
PRINT SPACE$(38);
IF INSTR(exits(location), "NORTH") THEN PRINT "N" ELSE PRINT
PRINT "*---------------------------------* ";
IF INSTR(exits(location), "WEST") THEN PRINT "W"; ELSE PRINT " ";
PRINT " + ";
IF INSTR(exits(location), "EAST") THEN PRINT "E"; ELSE PRINT " ";
PRINT " *------------------------------------*"
PRINT SPACE$(38);
IF INSTR(exits(location), "SOUTH") THEN PRINT "S" ELSE PRINT
PRINT
PRINT "If you are stuck just type HELP."
PRINT
GOSUB show_room
GOSUB do_command
GOTO turn_loop

show_room:
IF location = 1 THEN GOSUB room1
IF location = 2 THEN GOSUB room2
IF location = 3 THEN GOSUB room3
IF location = 4 THEN GOSUB room4
IF location = 5 THEN GOSUB room5
IF location = 6 THEN GOSUB room6
IF location = 7 THEN GOSUB room7
IF location = 8 THEN GOSUB room8

RETURN

do_command:
PRINT "> ";
command = read_command$
command = LTRIM$(RTRIM$(UCASE$(command)))
IF command = "END" OR command = "QUIT" THEN END
IF command = "EXIT" OR command = "Q" THEN END

IF command = "HELP" OR command = "H" OR command = "?" THEN
    CLS
    PRINT "HERE ARE SOME BASIC COMMANDS THAT CAN BE USED IN THE GAME...": PRINT
    PRINT "NORTH, EAST ,SOUTH, AND WEST - MOVE TO AN AVAILABLE LOCATION"
    PRINT "EXAMINE (OBJECT)             - EXAMINE AN OBJECT"
    PRINT "USE (OBJECT)                 - USE AN OBJECT"
    PRINT "TAKE (OBJECT)                - TAKE OR MOVE AN OBJECT"
    PRINT "INVENTORY                    - VIEW YOUR INVENTORY"
    PRINT "DRINK                        - DRINK BEER"
    PRINT "UNLOCK                       - UNLOCK DOOR"
    PRINT "HELP                         - VIEW THIS SCREEN"
    PRINT "END                          - END GAME"
    PRINT
    PRINT "PRESS ANY KEY..."
    SLEEP
    DO: LOOP UNTIL INKEY$ = ""
    DO: LOOP WHILE INKEY$ = ""
END IF
IF command = "INVENTORY" OR command = "INV" OR command = "ITEMS" OR command = "I" THEN
    CLS
    PRINT "INVENTORY..."
    PRINT
    IF has_carver = 1 THEN PRINT "An old turkey carver handed down by your father."
    PRINT
    PRINT "PRESS ANY KEY..."
    DO: LOOP UNTIL INKEY$ = ""
    DO: LOOP WHILE INKEY$ = ""
END IF
IF command = "GO NORTH" OR command = "NORTH" OR command = "N" THEN
    IF location = 2 THEN location = 3: GOTO command_done
    IF location = 3 THEN location = 4: GOTO command_done
    IF location = 7 THEN location = 6: GOTO command_done
END IF
IF command = "GO EAST" OR command = "EAST" OR command = "E" THEN
    IF location = 2 THEN location = 1: GOTO command_done
    IF location = 4 THEN location = 5: GOTO command_done
    IF location = 5 THEN location = 6: GOTO command_done
    IF location = 8 THEN location = 7: GOTO command_done
END IF
IF command = "GO SOUTH" OR command = "SOUTH" OR command = "S" THEN
    IF location = 4 THEN location = 3: GOTO command_done
    IF location = 3 THEN location = 2: GOTO command_done
    IF location = 6 THEN location = 7: GOTO command_done
END IF
IF command = "GO WEST" OR command = "WEST" OR command = "W" THEN
    IF location = 1 THEN location = 2: GOTO command_done
    IF location = 6 THEN location = 5: GOTO command_done
    IF location = 5 THEN location = 4: GOTO command_done
    IF location = 7 THEN location = 8: GOTO command_done
END IF

IF command = "EXAMINE TURKEY" AND location = 8 THEN
    CLS
PRINT "A hellish creature squats on the kitchen table. Its cry is a"
PRINT "gurgling shriek, its red eyes burn, and it hungers for the flesh"
PRINT "of humans..."
    DO: LOOP UNTIL INKEY$ = ""
    DO: LOOP WHILE INKEY$ = ""
END IF
IF command = "EXAMINE CARVER" AND has_carver = 1 THEN
    CLS
PRINT "An electric carving knife. It hums when you press its switch"
PRINT "If any tool can carve up a demonic turkey, surely this one will."
    DO: LOOP UNTIL INKEY$ = ""
    DO: LOOP WHILE INKEY$ = ""
END IF
IF command = "USE CARVER" AND location = 8 AND has_carver = 1 THEN
    CLS: GOTO victory
END IF

' fleeing works in every room

IF command = "FLEE HOUSE" THEN
    CLS: GOTO flight
END IF




command_done:
RETURN

room1:
PRINT "You stand on the landing outside your bedroom. The smell of roast"
PRINT "fills the whole house. You have called for your mother and father"
PRINT "twice and nobody answers you."
RETURN

room2:
PRINT "You walk slowly down the creaking staircase, step by careful step,"
PRINT "and each light is on."
RETURN

room3:
PRINT "You are in a hallway lined with tacky, festive wallpaper: red holly,"
PRINT "bells, reindeer and snowmen grinning at every turn."
RETURN

room4:
PRINT "You call out again and still nobody answers. Another short hall"
PRINT "stretches far ahead of you, quiet and dim and so long."
RETURN

room5:
PRINT "Somewhere in the distance a radio is playing an old holiday tune,"
PRINT "cutting in and out, as if the signal is weak."
RETURN

room6:
PRINT "A man's voice drifts through the walls, loud and cheerful, talking as"
PRINT "if the whole family were listening."
RETURN

room7:
PRINT "You stand before the dining room, where a bright white light is"
PRINT "shining out and hiding what's there."
RETURN

room8:
PRINT "A stranger standing by the kitchen table laughs at you. Then his face"
PRINT "stretches, his arms turn into feathered wings, and he swells into a"
PRINT "giant mutant turkey, gobbling at the ceiling."
RETURN

victory:
COLOR 2, 0
CLS
PRINT "You switch on the carver and leap at the beast. The blade roars,"
PRINT "feathers fly, and the mutant shrieks, shrinks and fades away at last."
PRINT "Your family rushes in and watches in horror while you carve up the"
PRINT "holiday dinner on the table. Then the smell of the roast returns, and"
PRINT "you are the one who laughs last."
PRINT
DO: LOOP WHILE INKEY$ = ""
END

flight:
COLOR 2, 0
CLS
PRINT "You turn and run out of the house, screaming down the frosty streets,"
PRINT "until two men in white coats cart you off to a lovely, padded cell."
PRINT "Next time, perhaps, you should stay and face that awful turkey yourself."
PRINT
DO: LOOP WHILE INKEY$ = ""
END

FUNCTION read_command$
prompt_column = POS(0)
prompt_row = CSRLIN
PCOPY 0, 1

' empty both key queues before the first pass
DO
    key_event = _KEYHIT
    discard$ = INKEY$
LOOP UNTIL key_event = 0 AND INKEY$ = ""

DO
    _LIMIT 30
    PCOPY 1, 0
    LOCATE prompt_row, prompt_column: PRINT line_buffer$
    ' one key event per pass; presses are positive, releases negative
    key_event = _KEYHIT
    IF key_event = 8 THEN line_buffer$ = LEFT$(line_buffer$, LEN(line_buffer$) - 1)
    IF (key_event >= 65 AND key_event <= 90) OR (key_event >= 97 AND key_event <= 122) OR key_event = 32 THEN
        line_buffer$ = UCASE$(line_buffer$ + CHR$(key_event))
    END IF

    ' the clock: whole minutes rounded, so the half second before a minute
    ' shows the next minute and a slightly negative second count
    time_left## = deadline - TIMER(.001)
    minutes_left = CINT(time_left##) \ 60
    seconds_left = time_left## - 60 * minutes_left
    LOCATE 2, 32: PRINT USING " ###:##.###"; minutes_left; seconds_left
    IF time_left## <= 0 THEN GOTO time_out
    _DISPLAY

LOOP UNTIL key_event = 13
read_command$ = line_buffer$
_AUTODISPLAY
EXIT FUNCTION

time_out:
CLS
PRINT "You wake up in your own bed, warm and refreshed. It was a dream."
PRINT "You go downstairs, where the family is waiting, and you all enjoy"
PRINT "the feast."
_DISPLAY
END: END FUNCTION
