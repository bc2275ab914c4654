#include <gtest/gtest.h>

#include "framework/core/prompts.h"
#include "tests/support/scripted_prompts.h"

namespace {

TEST(Prompts, AskCaptionsTheProgramsOwnBoxesWithItsNameAndAScriptedSeamLastsItsScope)
{
#ifdef _WIN32
    EXPECT_EQ(L"framework_core_tests", fw::ProgramTitle());
#else
    EXPECT_EQ(L"", fw::ProgramTitle());
#endif
    fw::Prompts* before = &fw::CurrentPrompts();
    {
        testing_support::ScriptedPrompts prompts;
        prompts.Answer(fw::kIdYes);
        EXPECT_EQ(fw::kIdYes, fw::Ask(L"終了してもよろしいですか？", fw::kMbYesNo | fw::kMbIconQuestion, 42));
        ASSERT_EQ(1u, prompts.Count());
        EXPECT_EQ(L"終了してもよろしいですか？", prompts.Last().text);
        EXPECT_EQ(fw::ProgramTitle(), prompts.Last().caption);
        EXPECT_EQ(0x24u, prompts.Last().flags);
    }
    EXPECT_EQ(before, &fw::CurrentPrompts());
}

}  // namespace
