#include <gtest/gtest.h>

#include "tests/support/scripted_prompts.h"

namespace {

TEST(Prompts, AskCaptionsTheProgramsOwnBoxesWithItsName)
{
#ifdef _WIN32
    EXPECT_EQ(L"framework_core_tests", fw::ProgramTitle());
#endif
    testing_support::ScriptedPrompts prompts;
    prompts.Answer(fw::kIdYes);
    EXPECT_EQ(fw::kIdYes, fw::Ask(L"終了してもよろしいですか？", fw::kMbYesNo | fw::kMbIconQuestion, 42));
    EXPECT_EQ(fw::ProgramTitle(), prompts.Last().caption);
    EXPECT_EQ(0x24u, prompts.Last().flags);
}

}  // namespace
