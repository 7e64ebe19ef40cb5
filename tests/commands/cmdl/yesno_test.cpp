// One answer rule for the yes/no questions of the commands.
#include <gtest/gtest.h>

#include "commands/cmdl/yesno.h"

TEST(YesNo, EveryAnswerCounts) {
  struct Case {
    int code;
    CmdYesNo want;
  } cases[] = {
      {'y', CYN_YES},   {'Y', CYN_YES}, {13, CYN_YES},    {500, CYN_YES}, {'n', CYN_NO},
      {'N', CYN_NO},    {501, CYN_NO},  {700, CYN_NO},    {-1, CYN_NO},   {-2, CYN_NO},
      {27, CYN_CANCEL}, {800, CYN_END}, {'x', CYN_OTHER}, {0, CYN_OTHER}, {502, CYN_OTHER},
  };
  for (const Case &c : cases)
    EXPECT_EQ(cmd_yesno(c.code), c.want) << c.code;
}
