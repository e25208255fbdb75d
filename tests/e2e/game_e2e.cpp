// Marrowvale as a player meets it: real keystrokes into the game's window, every screen
// read back from screenshots: the intro, the turn screen, moves and command words, the
// help and inventory screens, the three endings, the quit words and the close button.
#include "e2e/game_session.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t GREY = 0xAAAAAA;   // palette entry 7
constexpr uint32_t GREEN = 0x00AA00;  // palette entry 2
constexpr const char *END_PROMPT = "Press any key to continue";

// What tells the rooms apart: the opening of the description and the compass letters.
struct Room {
  const char *opening;
  const char *compass;  // among N, E, S, W
  int rows;             // description rows
};
const Room ROOMS[9] = {
    {"", "", 0},
    {"You stand on the landing outside your bedroom.", "W", 3},
    {"You walk slowly down the creaking staircase", "NE", 2},
    {"You are in a hallway lined with tacky, festive wallpaper", "NS", 2},
    {"You call out again and still nobody answers.", "SE", 2},
    {"Somewhere in the distance a radio is playing", "WE", 2},
    {"A man's voice drifts through the walls", "SW", 2},
    {"You stand before the dining room", "WN", 2},
    {"A stranger standing by the kitchen table laughs at you.", "E", 3},
};

int prompt_row(int room) { return 20 + ROOMS[room].rows; }

bool has(const char *letters, char c) { return std::string(letters).find(c) != std::string::npos; }

// The three compass rows as the game prints them for the room.
std::string compass_row(int room, int which) {
  const char *l = ROOMS[room].compass;
  if (which == 0) return has(l, 'N') ? std::string(38, ' ') + "N" : "";
  if (which == 2) return has(l, 'S') ? std::string(38, ' ') + "S" : "";
  return std::string("*---------------------------------* ") + (has(l, 'W') ? "W" : " ") + " + " +
         (has(l, 'E') ? "E" : " ") + " *------------------------------------*";
}

// The whole turn screen of the room, with `line` typed at the prompt and the clock running.
bool is_turn_screen(const ScreenText &s, int room, const std::string &line = "") {
  return e2e_screen_row(s, 1).empty() && game_clock_seconds(s) > -1e9 &&
         e2e_screen_row(s, 6) == std::string(26, ' ') + "Marrowvale" &&
         e2e_screen_row(s, 8) == std::string(33, ' ') + "Written by" && e2e_screen_row(s, 14) == compass_row(room, 0) &&
         e2e_screen_row(s, 15) == compass_row(room, 1) && e2e_screen_row(s, 16) == compass_row(room, 2) &&
         e2e_screen_row(s, 18) == "If you are stuck just type HELP." &&
         e2e_screen_row(s, 20).rfind(ROOMS[room].opening, 0) == 0 &&
         game_prompt_line(s, prompt_row(room)) == "> " + line;
}

// Types the command, sees it echoed in capitals at the prompt, then presses Enter.
void enter(GameSession *g, int room, const std::string &typed, const std::string &echo) {
  ASSERT_TRUE(e2e_type_slowly(g->window, typed, TYPE_DELAY_MS));
  ASSERT_TRUE(game_wait_screen(g, [&](const ScreenText &s) { return is_turn_screen(s, room, echo); }))
      << "typed '" << typed << "' in room " << room << "; screen:\n" << e2e_screen_dump(g->screen);
  ASSERT_TRUE(e2e_key(g->window, "Return"));
}

void expect_room(GameSession *g, int room) {
  ASSERT_TRUE(game_wait_screen(g, [&](const ScreenText &s) { return is_turn_screen(s, room); }))
      << "expected room " << room << "; screen:\n" << e2e_screen_dump(g->screen);
}

// One move or non-move: the command at the prompt of `from`, then the turn screen of `to`.
void command_in(GameSession *g, int from, const std::string &typed, const std::string &echo, int to) {
  ASSERT_NO_FATAL_FAILURE(enter(g, from, typed, echo));
  ASSERT_NO_FATAL_FAILURE(expect_room(g, to));
}

// Every cell with ink in rows first..last is in the colour.
bool rows_in_colour(const ScreenText &s, int first, int last, uint32_t colour) {
  for (int r = first; r <= last; r++)
    for (uint32_t ink : s.colour[size_t(r - 1)])
      if (ink != 0 && ink != colour) return false;
  return true;
}

// An ending: its rows from row 1 in the colour, then END's prompt on the bottom row.
void expect_ending(GameSession *g, const std::string &opening, int rows, uint32_t colour, const std::string &shot) {
  ASSERT_TRUE(game_wait_screen(g, [&](const ScreenText &s) {
    return e2e_screen_row(s, 1).rfind(opening, 0) == 0 && !e2e_screen_row(s, rows).empty() &&
           e2e_screen_row(s, rows + 1).empty() && e2e_screen_row(s, 30) == END_PROMPT;
  })) << "screen:\n" << e2e_screen_dump(g->screen);
  EXPECT_TRUE(rows_in_colour(g->screen, 1, 30, colour)) << std::hex << "ink other than " << colour;
  EXPECT_EQ(g->screen.colour[29][0], colour) << "END's prompt";
  game_save(g, shot);
}

void start_at_room_one(GameSession *g, const std::string &tag) {
  ASSERT_NO_FATAL_FAILURE(game_start(g, tag));
  ASSERT_TRUE(e2e_key(g->window, "space"));
  ASSERT_NO_FATAL_FAILURE(expect_room(g, 1));
}

TEST(Game, IntroWaitsForAKeyThenTheTurnScreenShowsRoomOneAndTheCloseButtonEndsIt) {
  GameSession g;
  ASSERT_NO_FATAL_FAILURE(game_start(&g, "game_intro"));
  EXPECT_EQ(e2e_screen_row(g.screen, 3),
            "You wake on the holiday morning to the rich smell of dinner downstairs.");
  EXPECT_TRUE(rows_in_colour(g.screen, 1, 30, GREY));
  game_save(&g, "game_intro");
  // Nothing but a key ends the intro; the clock has not started, so none shows.
  e2e_sleep_ms(2000);
  ASSERT_TRUE(game_wait_screen(&g, [](const ScreenText &s) { return e2e_screen_find(s, "You wake on") == 3; }));
  EXPECT_EQ(e2e_screen_row(g.screen, 2), "");
  ASSERT_TRUE(e2e_key(g.window, "x"));
  ASSERT_NO_FATAL_FAILURE(expect_room(&g, 1));
  EXPECT_EQ(g.screen.rows[1].find(':'), 35u) << "the clock's colon in column 36";
  double left = game_clock_seconds(g.screen);
  EXPECT_GT(left, 540.0);
  EXPECT_LE(left, 600.0);
  EXPECT_TRUE(rows_in_colour(g.screen, 1, 30, GREY));
  game_save(&g, "game_turn_screen");
  ASSERT_TRUE(e2e_close_window(g.window));
  ASSERT_TRUE(e2e_wait_exit(&g.process, GAME_EXIT_MS)) << "the close button did not end the game";
  EXPECT_EQ(g.process.exit_code, 0);
}

TEST(Game, ShortestWalkToTheKitchenAndUseCarverWinsInGreen) {
  GameSession g;
  ASSERT_NO_FATAL_FAILURE(start_at_room_one(&g, "game_victory"));
  struct Step {
    const char *command;
    int to;
  };
  const Step walk[] = {{"W", 2}, {"N", 3}, {"N", 4}, {"E", 5}, {"E", 6}, {"S", 7}, {"W", 8}};
  int room = 1;
  for (const Step &step : walk) {
    ASSERT_NO_FATAL_FAILURE(command_in(&g, room, step.command, step.command, step.to));
    room = step.to;
  }
  ASSERT_NO_FATAL_FAILURE(enter(&g, 8, "USE CARVER", "USE CARVER"));
  ASSERT_NO_FATAL_FAILURE(expect_ending(&g, "You switch on the carver and leap at the beast.", 5, GREEN, "game_victory"));
  ASSERT_NO_FATAL_FAILURE(game_press_until_exit(&g));
  EXPECT_EQ(g.process.exit_code, 0);
}

TEST(Game, FleeHouseInRoomOneIsTheFlightEnding) {
  GameSession g;
  ASSERT_NO_FATAL_FAILURE(start_at_room_one(&g, "game_flight"));
  ASSERT_NO_FATAL_FAILURE(enter(&g, 1, "FLEE HOUSE", "FLEE HOUSE"));
  ASSERT_NO_FATAL_FAILURE(expect_ending(&g, "You turn and run out of the house", 3, GREEN, "game_flight"));
  ASSERT_NO_FATAL_FAILURE(game_press_until_exit(&g));
  EXPECT_EQ(g.process.exit_code, 0);
}

TEST(Game, QuitWordsEndAtOnceAtTheEndPrompt) {
  for (const char *word : {"Q", "QUIT", "EXIT", "END"}) {
    SCOPED_TRACE(word);
    GameSession g;
    ASSERT_NO_FATAL_FAILURE(start_at_room_one(&g, std::string("game_quit_") + word));
    ASSERT_NO_FATAL_FAILURE(enter(&g, 1, word, word));
    // No ending text: the turn screen stays, under END's prompt.
    ASSERT_TRUE(game_wait_screen(&g, [](const ScreenText &s) {
      return e2e_screen_row(s, 30) == END_PROMPT && e2e_screen_find(s, ROOMS[1].opening) == 20 &&
             e2e_screen_row(s, 6) == std::string(26, ' ') + "Marrowvale";
    })) << e2e_screen_dump(g.screen);
    ASSERT_NO_FATAL_FAILURE(game_press_until_exit(&g));
    EXPECT_EQ(g.process.exit_code, 0);
  }
}

// The parser and the screens between turns, along the path to the kitchen and back.
TEST(Game, CommandLineAndParser) {
  GameSession g;
  ASSERT_NO_FATAL_FAILURE(start_at_room_one(&g, "game_parser"));
  struct Case {
    int from;
    const char *typed, *echo;
    int to;
  };
  const Case cases[] = {
      {1, "NORTH", "NORTH", 1},                    // no exit that way: the same room again
      {1, "examine turkey", "EXAMINE TURKEY", 1},  // only in the kitchen
      {1, "use carver", "USE CARVER", 1},          // only in the kitchen
      {1, "TAKE CARVER", "TAKE CARVER", 1},        // in the help, not in the game
      {1, "w1?.,;/-=", "W", 2},                    // digits and punctuation never enter the line
      {2, "  n  ", "  N", 3},                      // surrounding spaces are trimmed
      {3, "go north", "GO NORTH", 4},              // lower case arrives in capitals
      {4, "go  east", "GO  EAST", 4},              // inner runs of spaces stay
      {4, "EAST", "EAST", 5},
      {5, "e", "E", 6},
      {6, "s", "S", 7},
      {7, "use carver", "USE CARVER", 7},
      {7, "w", "W", 8},
      {8, "w", "W", 8},
      {8, "GO EAST", "GO EAST", 7},
      {7, "west", "WEST", 8},
  };
  for (const Case &c : cases) ASSERT_NO_FATAL_FAILURE(command_in(&g, c.from, c.typed, c.echo, c.to)) << c.typed;

  // Backspace takes back a letter, also on an empty line.
  ASSERT_TRUE(e2e_key(g.window, "BackSpace"));
  ASSERT_NO_FATAL_FAILURE(enter(&g, 8, "x", "X"));
  ASSERT_NO_FATAL_FAILURE(expect_room(&g, 8));
  ASSERT_TRUE(e2e_type_slowly(g.window, "ex", TYPE_DELAY_MS));
  ASSERT_TRUE(game_wait_screen(&g, [](const ScreenText &s) { return is_turn_screen(s, 8, "EX"); }));
  ASSERT_TRUE(e2e_key(g.window, "BackSpace"));
  ASSERT_NO_FATAL_FAILURE(enter(&g, 8, "", "E"));
  ASSERT_NO_FATAL_FAILURE(expect_room(&g, 7));
  ASSERT_NO_FATAL_FAILURE(command_in(&g, 7, "W", "W", 8));

  // The screens that wait for keys: how many presses bring the room back.
  struct KeyScreen {
    const char *typed, *echo, *first_row;
    int presses;
  };
  const KeyScreen screens[] = {
      {"examine turkey", "EXAMINE TURKEY", "A hellish creature squats on the kitchen table.", 1},
      {"EXAMINE CARVER", "EXAMINE CARVER", "An electric carving knife.", 1},
      {"i", "I", "INVENTORY...", 1},
      {"INVENTORY", "INVENTORY", "INVENTORY...", 1},
      {"help", "HELP", "HERE ARE SOME BASIC COMMANDS THAT CAN BE USED IN THE GAME...", 2},
  };
  for (const KeyScreen &k : screens) {
    SCOPED_TRACE(k.typed);
    ASSERT_NO_FATAL_FAILURE(enter(&g, 8, k.typed, k.echo));
    for (int press = 1; press <= k.presses; press++) {
      ASSERT_TRUE(game_wait_screen(&g, [&](const ScreenText &s) { return e2e_screen_row(s, 1).rfind(k.first_row, 0) == 0; }))
          << "press " << press << "; screen:\n" << e2e_screen_dump(g.screen);
      if (press == 1) game_save(&g, std::string("game_screen_") + k.echo);
      ASSERT_TRUE(e2e_key(g.window, "space"));
      if (press < k.presses) e2e_sleep_ms(1500);  // the screen must still be there after it
    }
    ASSERT_NO_FATAL_FAILURE(expect_room(&g, 8));
  }
  ASSERT_NO_FATAL_FAILURE(enter(&g, 8, "end", "END"));
  ASSERT_TRUE(game_wait_screen(&g, [](const ScreenText &s) { return e2e_screen_row(s, 30) == END_PROMPT; }));
  ASSERT_NO_FATAL_FAILURE(game_press_until_exit(&g));
  EXPECT_EQ(g.process.exit_code, 0);
}

bool is_waking_up(const ScreenText &s) {
  return e2e_screen_row(s, 1) == "You wake up in your own bed, warm and refreshed. It was a dream." &&
         e2e_screen_row(s, 3) == "the feast." && e2e_screen_row(s, 4).empty() && e2e_screen_row(s, 30) == END_PROMPT;
}

// Ten minutes in ten seconds: libfaketime runs every clock and sleep of the game 60 times
// as fast. Every clock read on the way counts down, its seconds within half a second of
// the whole minute it is rounded to.
TEST(Game, TimeRunningOutWakesThePlayerUp) {
  if (!game_faketime_available()) GTEST_SKIP() << "libfaketime is not installed (tools/install-deps.sh)";
  GameSession g;
  ASSERT_NO_FATAL_FAILURE(game_start(&g, "game_time_out", game_faketime_environment(60)));
  ASSERT_TRUE(e2e_key(g.window, "space"));
  ASSERT_NO_FATAL_FAILURE(expect_room(&g, 1));
  std::vector<std::string> readings;
  double last = 601;
  bool counting_down = true;
  ASSERT_TRUE(game_wait_screen(&g, [&](const ScreenText &s) {
    double left = game_clock_seconds(s);
    if (left > -1e9) {
      std::string shown = e2e_screen_row(s, 2).substr(32);
      double seconds = std::stod(shown.substr(shown.find(':') + 1));
      counting_down &= left <= last && seconds >= -0.5 && seconds <= 59.5;
      if (readings.empty() || readings.back() != shown) readings.push_back(shown);
      last = left;
    }
    return is_waking_up(s);
  }, 120000)) << "screen:\n" << e2e_screen_dump(g.screen);
  EXPECT_TRUE(counting_down) << testing::PrintToString(readings);
  EXPECT_GE(readings.size(), 3u) << "the clock was seen running";
  EXPECT_TRUE(rows_in_colour(g.screen, 1, 30, GREY));
  game_save(&g, "game_time_out");
  ASSERT_NO_FATAL_FAILURE(game_press_until_exit(&g));
  EXPECT_EQ(g.process.exit_code, 0);
}

// The help screen does not look at the clock: the time runs out there, and the next
// prompt shows the waking-up text at once.
TEST(Game, TimeRunningOutOnTheHelpScreenEndsAtTheNextPrompt) {
  if (!game_faketime_available()) GTEST_SKIP() << "libfaketime is not installed (tools/install-deps.sh)";
  GameSession g;
  ASSERT_NO_FATAL_FAILURE(game_start(&g, "game_time_out_help", game_faketime_environment(200)));
  ASSERT_TRUE(e2e_key(g.window, "space"));
  ASSERT_NO_FATAL_FAILURE(expect_room(&g, 1));
  ASSERT_NO_FATAL_FAILURE(enter(&g, 1, "h", "H"));
  const std::string help = "HERE ARE SOME BASIC COMMANDS";
  ASSERT_TRUE(game_wait_screen(&g, [&](const ScreenText &s) { return e2e_screen_find(s, help) == 1; }));
  e2e_sleep_ms(6000);  // over 1000 s of the game's time: well past the limit
  ASSERT_TRUE(game_wait_screen(&g, [&](const ScreenText &s) { return e2e_screen_find(s, help) == 1; }, 1000))
      << "the help screen did not stay; screen:\n" << e2e_screen_dump(g.screen);
  ASSERT_TRUE(e2e_key(g.window, "space"));
  e2e_sleep_ms(1500);
  ASSERT_TRUE(e2e_key(g.window, "space"));
  ASSERT_TRUE(game_wait_screen(&g, is_waking_up)) << "screen:\n" << e2e_screen_dump(g.screen);
  ASSERT_NO_FATAL_FAILURE(game_press_until_exit(&g));
  EXPECT_EQ(g.process.exit_code, 0);
}

// ---- Figures, printed and never asserted: tools/measure_game.sh runs this -------------

double monotonic_seconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// utime + stime in seconds from a stat file: the process's covers all its threads.
double cpu_seconds(const std::string &stat_path) {
  std::string stat = e2e_read_file(stat_path);
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));  // from field 3, the state
  std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
  if (f.size() < 13) return 0;
  return double(std::stoll(f[11]) + std::stoll(f[12])) / double(sysconf(_SC_CLK_TCK));
}

double process_cpu_seconds(int pid) { return cpu_seconds("/proc/" + std::to_string(pid) + "/stat"); }

double thread_cpu_seconds(int pid, int tid) {
  return cpu_seconds("/proc/" + std::to_string(pid) + "/task/" + std::to_string(tid) + "/stat");
}

long status_kb(int pid, const std::string &key) {
  std::istringstream in(e2e_read_file("/proc/" + std::to_string(pid) + "/status"));
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
  return -1;
}

std::vector<int> thread_ids(int pid) {
  std::vector<int> ids;
  std::error_code error;
  for (const auto &entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error))
    ids.push_back(std::stoi(entry.path().filename().string()));
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::string thread_name(int pid, int tid) {
  std::string name = e2e_read_file("/proc/" + std::to_string(pid) + "/task/" + std::to_string(tid) + "/comm");
  return name.substr(0, name.find('\n'));
}

// The whole process's share of one core over the time, then each thread's.
void print_cpu_share(int pid, double seconds, const char *what) {
  std::vector<int> threads = thread_ids(pid);
  std::vector<double> before;
  for (int tid : threads) before.push_back(thread_cpu_seconds(pid, tid));
  double cpu = process_cpu_seconds(pid), t = monotonic_seconds();
  e2e_sleep_ms(int(seconds * 1000));
  double elapsed = monotonic_seconds() - t;
  printf("figure: processor share %s (%.0f s): %.1f%% of one core; by thread:", what, seconds,
         100 * (process_cpu_seconds(pid) - cpu) / elapsed);
  for (size_t i = 0; i < threads.size(); i++)
    printf(" %s/%d %.1f%%", thread_name(pid, threads[i]).c_str(), threads[i],
           100 * (thread_cpu_seconds(pid, threads[i]) - before[i]) / elapsed);
  printf("\n");
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  size_t i = size_t(std::ceil(p * double(v.size()))) - 1;
  return v[std::min(i, v.size() - 1)];
}

// From the xdotool call for a letter to the first screenshot that shows it at the prompt.
std::vector<double> key_latencies_ms(GameSession *g, int keys, std::vector<double> *grab_ms,
                                     std::vector<double> *xdotool_ms) {
  std::vector<double> latencies;
  std::string line = "> ";
  for (int i = 0; i < keys; i++) {
    char letter = char('a' + i % 26);
    line += char(letter - 'a' + 'A');
    double sent = monotonic_seconds(), seen = 0;
    e2e_key(g->window, std::string(1, letter));
    xdotool_ms->push_back((monotonic_seconds() - sent) * 1000);
    while (monotonic_seconds() - sent < 10 && seen == 0) {
      double grab = monotonic_seconds();
      if (!e2e_grab(g->window, &g->image)) continue;
      grab_ms->push_back((monotonic_seconds() - grab) * 1000);
      if (e2e_screen_row(e2e_read_screen(g->image), 23) == line) seen = grab;
    }
    if (seen == 0) break;
    latencies.push_back((seen - sent) * 1000);
    e2e_sleep_ms(100);  // each key from an idle reader
  }
  return latencies;
}

TEST(GameFigures, DISABLED_LatencyProcessorAndMemory) {
  GameSession g;
  ASSERT_NO_FATAL_FAILURE(game_start(&g, "game_figures"));
  int pid = g.process.pid;
  print_cpu_share(pid, 5, "waiting at the intro");
  ASSERT_TRUE(e2e_key(g.window, "space"));
  ASSERT_NO_FATAL_FAILURE(expect_room(&g, 1));
  print_cpu_share(pid, 10, "waiting at the prompt");
  std::vector<double> grab_ms, xdotool_ms;
  std::vector<double> latencies = key_latencies_ms(&g, 60, &grab_ms, &xdotool_ms);
  ASSERT_EQ(latencies.size(), 60u) << "a letter never showed; screen:\n" << e2e_screen_dump(g.screen);
  printf("figure: key-to-screen latency over %zu keys: median %.0f ms, 95th percentile %.0f ms, max %.0f ms\n",
         latencies.size(), percentile(latencies, 0.5), percentile(latencies, 0.95), percentile(latencies, 1.0));
  printf("figure: of which xdotool's own run takes %.0f ms median; one screenshot %.1f ms median (the resolution)\n",
         percentile(xdotool_ms, 0.5), percentile(grab_ms, 0.5));
  for (int i = 0; i < 60; i++) ASSERT_TRUE(e2e_key(g.window, "BackSpace"));
  for (int round = 0; round < 3; round++) {
    ASSERT_NO_FATAL_FAILURE(command_in(&g, 1, "w", "W", 2));
    ASSERT_NO_FATAL_FAILURE(command_in(&g, 2, "e", "E", 1));
  }
  printf("figure: resident memory during play: VmRSS %ld kB (anonymous %ld kB, files %ld kB), VmHWM %ld kB\n",
         status_kb(pid, "VmRSS"), status_kb(pid, "RssAnon"), status_kb(pid, "RssFile"), status_kb(pid, "VmHWM"));
  ASSERT_NO_FATAL_FAILURE(enter(&g, 1, "q", "Q"));
  ASSERT_NO_FATAL_FAILURE(game_press_until_exit(&g));
}

}  // namespace
