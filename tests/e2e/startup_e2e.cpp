// Start-up and program end as a real process: the window, the strings, COMMAND$, END.
#include "e2e/harness.h"
#include "e2e/screen_text.h"

#include <gtest/gtest.h>

struct DemoCase {
  std::vector<std::string> args;
  std::string command_line_row;
};

class Startup : public ::testing::TestWithParam<DemoCase> {};

// The demonstration program prints its strings and COMMAND$, then waits at END's prompt
// until a key ends it with exit code 0.
TEST_P(Startup, WindowStringsCommandLineAndEnd) {
  ASSERT_TRUE(e2e_have_display());
  E2eProcess demo = e2e_spawn(e2e_program_path("demo"), GetParam().args);
  ASSERT_GT(demo.pid, 0);
  E2eWindow window = e2e_find_window("Untitled", 20000);
  ASSERT_NE(window, 0u);
  e2e_move(window, 0, 0);
  ScreenText screen;
  bool prompt_shown = e2e_wait_until(
      [&] {
        E2eImage image;
        if (!e2e_grab(window, &image) || image.width != 640 || image.height != 400) return false;
        screen = e2e_read_screen(image);
        return e2e_screen_row(screen, 25) == "Press any key to continue";
      },
      20000);
  ASSERT_TRUE(prompt_shown) << e2e_screen_dump(screen);
  EXPECT_EQ(e2e_screen_row(screen, 1), "Hello, world!");
  EXPECT_EQ(e2e_screen_row(screen, 2), GetParam().command_line_row);
  EXPECT_TRUE(e2e_running(&demo));  // END waits for a key
  ASSERT_TRUE(e2e_key(window, "x"));
  ASSERT_TRUE(e2e_wait_exit(&demo, 20000));
  EXPECT_EQ(demo.exit_code, 0);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, Startup,
                         ::testing::Values(DemoCase{{}, "[]"}, DemoCase{{"a b", "c"}, "[a b c]"}));
