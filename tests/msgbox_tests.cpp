// The message box's paths that need no X server: the test hook and the text fallback.
#include "platform/msgbox.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(MessageBox, WithoutADisplayCaptionAndTextGoToStandardErrorAndTheAnswerIsZero) {
  unsetenv("DISPLAY");
  testing::internal::CaptureStderr();
  int answer = plat_message_box("Line:51\nSubscript out of range\nContinue?", "Unhandled Error #9",
                                PLAT_MB_SYSTEMMODAL | PLAT_MB_YESNO);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Unhandled Error #9\nLine:51\nSubscript out of range\nContinue?\n");
  EXPECT_EQ(answer, 0);
}

TEST(MessageBox, MissingTextsAreEmptyNotACrash) {
  unsetenv("DISPLAY");
  testing::internal::CaptureStderr();
  EXPECT_EQ(plat_message_box(nullptr, nullptr, PLAT_MB_OK), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "\n\n");
}

TEST(MessageBox, AnInstalledHookAnswersInsteadOfAWindow) {
  plat_message_box_set_hook([](const char *text, const char *caption, unsigned flags) {
    return std::string(text) == "t" && std::string(caption) == "c" && flags == PLAT_MB_YESNO ? PLAT_IDNO : -1;
  });
  EXPECT_EQ(plat_message_box("t", "c", PLAT_MB_YESNO), PLAT_IDNO);
  plat_message_box_set_hook(nullptr);
}
