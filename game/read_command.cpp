// Marrowvale, lines 231 to 273: FUNCTION read_command$, the timed command-line reader
// with the countdown, and the time-out ending.
#include "display/display.h"
#include "game/game.h"
#include "game/translate.h"
#include "input/input.h"

// PRINT USING " ###:##.###"; minutes; seconds -- with its line end.
static void print_clock(float minutes, float seconds, uint32_t mark) {
  RtString *out = rtstr_new(0, false);
  RtString *format = LIT(" ###:##.###");
  int32_t position = num_using_single(format, 0, minutes, out);
  num_using_single(format, position, seconds, out);
  if (!err_pending()) scr_print(out, 1);
  rtstr_free(out);
  rtstr_release_temps(mark, 0);
}

RtString *game_read_command() {
  const uint32_t mark = temp_count;  // the FUNCTION's own scope
  void *const scratch = rt_scratch_position();
  const int32_t low_top = rtstr_low_top();
  float &prompt_column = *static_cast<float *>(rt_scratch_alloc(sizeof(float)));
  float &prompt_row = *static_cast<float *>(rt_scratch_alloc(sizeof(float)));
  float &key_event = *static_cast<float *>(rt_scratch_alloc(sizeof(float)));
  long double &time_left = *static_cast<long double *>(rt_scratch_alloc(sizeof(long double)));
  float &minutes_left = *static_cast<float *>(rt_scratch_alloc(sizeof(float)));
  float &seconds_left = *static_cast<float *>(rt_scratch_alloc(sizeof(float)));
  prompt_column = prompt_row = key_event = minutes_left = seconds_left = 0;
  time_left = 0;
  RtString *result = rtstr_new(0, false);       // read_command$
  RtString *line_buffer = rtstr_new(0, false);  // line_buffer$
  RtString *discard = rtstr_new(0, false);      // discard$
  int32_t more = 0;

  RT_STMT(232, prompt_column = float(scr_pos(0)));
  RT_STMT(233, prompt_row = float(scr_csrlin()));
  RT_STMT(234, scr_pcopy(0, 1));  // PCOPY 0, 1
  do {                            // DO
    RT_STMT(238, key_event = float(kbd_next_key_event()));      // key_event = _KEYHIT
    RT_STMT(239, rtstr_assign(discard, kbd_inkey()); rtstr_release_temps(mark, 0));
    RT_STMT(240, more = !rtstr_release_temps(mark, -(key_event == 0) & rtstr_equal(kbd_inkey(), LIT(""))));
  } while (more);  // LOOP UNTIL key_event = 0 AND INKEY$ = ""

  do {  // DO
    RT_STMT(243, num_limit(30));    // _LIMIT 30
    RT_STMT(244, scr_pcopy(1, 0));  // PCOPY 1, 0
    RT_STMT(245, scr_locate(num_round_int(prompt_row), num_round_int(prompt_column), 0, 0, 0, 3);
            basic_print_item(line_buffer); basic_print_end());
    RT_STMT(247, key_event = float(kbd_next_key_event()));
    RT_STMT(248, if (key_event == 8) {  // Backspace
      rtstr_assign(line_buffer, rtstr_left(line_buffer, rtstr_len(line_buffer) - 1));
      rtstr_release_temps(mark, 0);
    });
    bool typed = false;  // a letter or a space
    RT_STMT(249, typed = (key_event >= 65 && key_event <= 90) || (key_event >= 97 && key_event <= 122) ||
                         key_event == 32);
    if (typed)
      RT_STMT(250, rtstr_assign(line_buffer, rtstr_ucase(rtstr_concat(line_buffer, rtstr_chr(int32_t(key_event)))));
              rtstr_release_temps(mark, 0));
    RT_STMT(255, time_left = game->deadline - num_timer(.001, true));
    RT_STMT(256, minutes_left = float(num_round_int(time_left) / 60));  // CINT(time_left##) \ 60
    RT_STMT(257, seconds_left = float(time_left - 60 * (long double)minutes_left));
    RT_STMT(258, scr_locate(2, 32, 0, 0, 0, 3); print_clock(minutes_left, seconds_left, mark));
    bool out_of_time = false;
    RT_STMT(259, out_of_time = time_left <= 0);
    if (out_of_time) goto time_out;
    RT_STMT(260, disp_display());  // _DISPLAY
  } while (!(key_event == 13));    // LOOP UNTIL key_event = 13
  RT_LABEL(262);

  RT_STMT(263, rtstr_assign(result, line_buffer));
  RT_STMT(264, disp_autodisplay());  // _AUTODISPLAY
  rtstr_free(line_buffer);           // EXIT FUNCTION: the scope ends
  rtstr_free(discard);
  rt_scratch_release(scratch);
  rtstr_restore_low_top(low_top);
  return rtstr_make_temporary(result);

time_out:
  RT_LABEL(267);
  RT_STMT(268, scr_cls(0, 0, 0));
  PRINT_ROW(269, "You wake up in your own bed, warm and refreshed. It was a dream.");
  PRINT_ROW(270, "You go downstairs, where the family is waiting, and you all enjoy");
  PRINT_ROW(271, "the feast.");
  RT_STMT(272, disp_display());  // _DISPLAY
  RT_STMT(273, rt_end());        // END
  return nullptr;
}
