// The error dialog as a user meets it: a real box in a real X server, answered with keys,
// the mouse and the close request, and what the program does after each answer.
#include "e2e/harness.h"

#include <gtest/gtest.h>

namespace {

constexpr int START_MS = 15000;  // start-up waits up to a second for the wall clock
constexpr int EXIT_MS = 15000;

// Colours the box paints with (platform/msgbox_draw.cpp).
constexpr uint32_t TEXT_COLOUR = 0x000000;
constexpr uint32_t STRIP_COLOUR = 0xF0F0F0;
constexpr uint32_t BUTTON_FACE = 0xE1E1E1;

struct Point {
  int x, y;
};

struct Run {
  int start, length;
};

std::vector<Run> colour_runs(const E2eImage &image, int y, uint32_t colour, int min_length) {
  std::vector<Run> runs;
  for (int x = 0; x < image.width;) {
    int start = x;
    while (x < image.width && image.at(x, y) == colour) x++;
    if (x - start >= min_length) runs.push_back({start, x - start});
    if (x == start) x++;
  }
  return runs;
}

// Buttons are the wide runs of button face on the row of the strip that crosses most of them.
std::vector<Point> find_buttons(const E2eImage &image) {
  size_t best = 0;
  int best_row = -1;
  for (int y = image.height / 2; y < image.height; y++) {
    size_t n = colour_runs(image, y, BUTTON_FACE, 30).size();
    if (n > best) best = n, best_row = y;
  }
  std::vector<Point> centres;
  if (best_row < 0) return centres;
  for (const Run &r : colour_runs(image, best_row, BUTTON_FACE, 30))
    centres.push_back({r.start + r.length / 2, best_row + 4});
  return centres;
}

// Text lines above the button strip: bands of rows that hold text pixels.
int text_line_count(const E2eImage &image) {
  int bands = 0;
  bool in_band = false;
  for (int y = 0; y < image.height; y++) {
    if (int(colour_runs(image, y, STRIP_COLOUR, image.width - 2).size()) > 0) break;  // the strip starts
    bool ink = false;
    for (int x = 0; x < image.width && !ink; x++) ink = image.at(x, y) == TEXT_COLOUR;
    if (ink && !in_band) bands++;
    in_band = ink;
  }
  return bands;
}

struct DialogRun {
  E2eProcess program;
  E2eWindow dialog = 0;
  E2eImage image;
};

// Starts the program and waits for its box; the screenshot goes into the build folder.
void open_dialog(DialogRun *run, const std::string &mode, const std::string &caption, const std::string &shot) {
  ASSERT_TRUE(e2e_have_display()) << "run under tools/with-xvfb.sh";
  std::vector<std::string> args;
  if (!mode.empty()) args.push_back(mode);
  run->program = e2e_spawn(e2e_program_path("error_dialog"), args, "error_dialog_" + shot);
  ASSERT_GT(run->program.pid, 0);
  run->dialog = e2e_find_window(caption, START_MS);
  ASSERT_NE(run->dialog, 0u) << "no window titled \"" << caption << "\"; stderr: "
                             << e2e_read_file(run->program.stderr_path);
  EXPECT_EQ(e2e_window_title(run->dialog), caption);
  E2eGeometry g{};
  ASSERT_TRUE(e2e_window_geometry(run->dialog, &g));
  EXPECT_GE(g.width, 200);
  EXPECT_GE(g.height, 80);
  // The box may map before it has drawn; wait until its buttons show.
  ASSERT_TRUE(e2e_wait_until([&] { return e2e_grab(run->dialog, &run->image) && !find_buttons(run->image).empty(); },
                             5000));
  std::string saved = e2e_save_image(run->image, e2e_output_path("error_dialog_" + shot));
  EXPECT_FALSE(saved.empty());
  printf("screenshot: %s\n", saved.c_str());
}

// After Yes the program runs on into END, whose prompt waits for a key in its window.
// Keys that arrive before the prompt waits are drained, so we repeat until it ends.
void answer_end_prompt(DialogRun *run) {
  ASSERT_TRUE(e2e_wait_until(
      [&] { return e2e_read_file(run->program.stdout_path).find("continued") != std::string::npos; }, EXIT_MS))
      << "the statement after the error did not run";
  E2eWindow window = e2e_find_window("Untitled", START_MS);
  ASSERT_NE(window, 0u) << "no program window";
  ASSERT_TRUE(e2e_wait_until(
      [&] {
        if (e2e_running(&run->program)) e2e_key(window, "space");
        return e2e_wait_exit(&run->program, 500);
      },
      EXIT_MS))
      << "END's prompt did not end the program";
}

void expect_ended(DialogRun *run, int exit_code, const std::string &output) {
  ASSERT_TRUE(e2e_wait_exit(&run->program, EXIT_MS)) << "the program did not end";
  EXPECT_EQ(run->program.exit_code, exit_code) << e2e_read_file(run->program.stderr_path);
  EXPECT_EQ(e2e_read_file(run->program.stdout_path), output);
}

TEST(ErrorDialog, ShowsTheErrorAndYesByReturnContinuesWithTheNextStatement) {
  DialogRun run;
  ASSERT_NO_FATAL_FAILURE(open_dialog(&run, "", "Unhandled Error #9", "yes"));
  EXPECT_EQ(find_buttons(run.image).size(), 2u) << "Yes and No";
  EXPECT_EQ(text_line_count(run.image), 3) << "Line:51 / Subscript out of range / Continue?";
  ASSERT_TRUE(e2e_key(run.dialog, "Return"));
  EXPECT_TRUE(e2e_wait_window_gone(run.dialog, 5000));
  ASSERT_NO_FATAL_FAILURE(answer_end_prompt(&run));
  expect_ended(&run, 0, "started\ncontinued\n");
}

TEST(ErrorDialog, YKeyAnswersYes) {
  DialogRun run;
  ASSERT_NO_FATAL_FAILURE(open_dialog(&run, "", "Unhandled Error #9", "y_key"));
  ASSERT_TRUE(e2e_key(run.dialog, "y"));
  ASSERT_NO_FATAL_FAILURE(answer_end_prompt(&run));
  expect_ended(&run, 0, "started\ncontinued\n");
}

TEST(ErrorDialog, NKeyEndsTheProgramWithoutItsNextStatement) {
  DialogRun run;
  ASSERT_NO_FATAL_FAILURE(open_dialog(&run, "", "Unhandled Error #9", "n_key"));
  ASSERT_TRUE(e2e_key(run.dialog, "n"));
  expect_ended(&run, 0, "started\n");  // at once: no END prompt
}

// Someone typing on when the box appears: the held key repeats, but must not answer.
// XTEST releases a client's keys when it disconnects, so one xdotool holds the key
// across the box's appearance and auto-repeat (after 660 ms on a default server).
TEST(ErrorDialog, AKeyHeldFromBeforeTheBoxDoesNotAnswerIt) {
  ASSERT_TRUE(e2e_have_display());
  ASSERT_EQ(system("xdotool keydown y sleep 3 keyup y &"), 0);
  e2e_sleep_ms(300);
  DialogRun run;
  ASSERT_NO_FATAL_FAILURE(open_dialog(&run, "", "Unhandled Error #9", "held_key"));
  e2e_sleep_ms(3500);  // until the key is up again
  ASSERT_TRUE(e2e_window_exists(run.dialog)) << "the held key answered the box";
  ASSERT_TRUE(e2e_key(run.dialog, "n"));
  expect_ended(&run, 0, "started\n");
}

TEST(ErrorDialog, ClickOnNoEndsTheProgram) {
  DialogRun run;
  ASSERT_NO_FATAL_FAILURE(open_dialog(&run, "", "Unhandled Error #9", "no_click"));
  std::vector<Point> buttons = find_buttons(run.image);
  ASSERT_EQ(buttons.size(), 2u);
  ASSERT_TRUE(e2e_click(run.dialog, buttons[1].x, buttons[1].y));
  expect_ended(&run, 0, "started\n");
}

TEST(ErrorDialog, ClickOnYesContinues) {
  DialogRun run;
  ASSERT_NO_FATAL_FAILURE(open_dialog(&run, "", "Unhandled Error #9", "yes_click"));
  std::vector<Point> buttons = find_buttons(run.image);
  ASSERT_EQ(buttons.size(), 2u);
  ASSERT_TRUE(e2e_click(run.dialog, buttons[0].x, buttons[0].y));
  ASSERT_NO_FATAL_FAILURE(answer_end_prompt(&run));
  expect_ended(&run, 0, "started\ncontinued\n");
}

// The program's window put over the box: the box comes back on top by itself.
TEST(ErrorDialog, TheBoxStaysAboveTheProgramsWindow) {
  DialogRun run;
  ASSERT_NO_FATAL_FAILURE(open_dialog(&run, "", "Unhandled Error #9", "above"));
  E2eWindow program_window = e2e_find_window("Untitled", START_MS);
  ASSERT_NE(program_window, 0u);
  E2eGeometry box{};
  ASSERT_TRUE(e2e_window_geometry(run.dialog, &box));
  ASSERT_TRUE(e2e_move(program_window, box.x - 100, box.y - 100));
  ASSERT_TRUE(e2e_raise(program_window));
  EXPECT_TRUE(e2e_wait_until(
      [&] { return e2e_grab(run.dialog, &run.image) && find_buttons(run.image).size() == 2; }, 5000))
      << "the box stayed under the program's window";
  ASSERT_TRUE(e2e_key(run.dialog, "n"));
  expect_ended(&run, 0, "started\n");
}

TEST(ErrorDialog, CloseRequestAnswersNo) {
  DialogRun run;
  ASSERT_NO_FATAL_FAILURE(open_dialog(&run, "", "Unhandled Error #9", "close"));
  ASSERT_TRUE(e2e_close_window(run.dialog));
  expect_ended(&run, 0, "started\n");
}

TEST(ErrorDialog, CriticalErrorShowsOkAndEndsWithExitCodeZero) {
  DialogRun run;
  ASSERT_NO_FATAL_FAILURE(open_dialog(&run, "critical", "Critical Error #301", "critical"));
  EXPECT_EQ(find_buttons(run.image).size(), 1u) << "OK only";
  EXPECT_EQ(text_line_count(run.image), 2) << "Line:51 / Invalid size, no Continue?";
  ASSERT_TRUE(e2e_key(run.dialog, "Return"));
  expect_ended(&run, 0, "started\n");
}

TEST(ErrorDialog, HandlerClaimedWithoutHandlerEndsWithExitCode99) {
  ASSERT_TRUE(e2e_have_display());
  E2eProcess program = e2e_spawn(e2e_program_path("error_dialog"), {"nohandler"}, "error_dialog_nohandler");
  ASSERT_TRUE(e2e_wait_exit(&program, EXIT_MS));
  EXPECT_EQ(program.exit_code, 99);
  EXPECT_EQ(e2e_read_file(program.stdout_path), "started\n");
}

}  // namespace
