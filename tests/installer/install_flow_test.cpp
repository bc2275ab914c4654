// The page order, the start mode, the component selection and the finish page.
#include <gtest/gtest.h>

#include "installer/ini_text.h"
#include "installer/install_flow.h"

namespace {

using installer::Page;
using installer::PageEvent;

struct FlowCase {
    const char* name;
    installer::Sequence sequence;
    std::vector<PageEvent> events;
    std::vector<Page> pages;  // the start page, then the page after each event
};

constexpr PageEvent kNext = PageEvent::Next;
constexpr PageEvent kDecline = PageEvent::Decline;
constexpr PageEvent kBack = PageEvent::Back;

const FlowCase kFlows[] = {
    {"every page on",
     {true, true, true, true},
     {kNext, kNext, kNext, kNext, kNext, kNext},
     {Page::Terms, Page::Type, Page::Destination, Page::Copying, Page::Finish, Page::FinishActions,
      Page::End}},
    {"no page on: straight to copying",
     {},
     {kNext, kNext},
     {Page::Copying, Page::Finish, Page::FinishActions}},
    {"terms declined", {true, true, true, true}, {kDecline, kNext}, {Page::Terms, Page::End, Page::End}},
    {"terms then destination",
     {true, false, true, false},
     {kNext, kNext},
     {Page::Terms, Page::Destination, Page::Copying}},
    {"back from destination",
     {false, true, true, false},
     {kNext, kBack, kNext},
     {Page::Type, Page::Destination, Page::Type, Page::Destination}},
    {"back disabled without the type page",
     {false, false, true, false},
     {kBack},
     {Page::Destination, Page::Destination}},
    {"back only from destination",
     {true, true, false, false},
     {kBack, kNext, kBack},
     {Page::Terms, Page::Terms, Page::Type, Page::Type}},
    {"cancel on type", {false, true, false, false}, {kDecline}, {Page::Type, Page::End}},
    {"cancel while copying", {}, {kDecline}, {Page::Copying, Page::End}},
    {"failed run", {}, {PageEvent::RunFailed}, {Page::Copying, Page::End}},
    {"run failure means nothing elsewhere",
     {false, true, false, false},
     {PageEvent::RunFailed},
     {Page::Type, Page::Type}},
};

TEST(InstallFlow, PagesFollowTheirOrderAndTheSequenceFlags)
{
    for (const FlowCase& c : kFlows) {
        SCOPED_TRACE(c.name);
        installer::InstallFlow flow(c.sequence);
        std::vector<Page> pages{flow.Start()};
        for (PageEvent e : c.events)
            pages.push_back(flow.Handle(e));
        EXPECT_EQ(pages, c.pages);
    }
    installer::InstallFlow off({});
    EXPECT_FALSE(off.Shown(Page::Finish));
    EXPECT_TRUE(off.Shown(Page::Copying));
    EXPECT_EQ(installer::PageCommand(Page::Destination), 112);
    EXPECT_EQ(installer::PageCommand(Page::FinishActions), 117);
}

TEST(InstallFlow, StartMode)
{
    using installer::StartMode;
    const struct {
        const char* commandLine;
        bool marker;
        StartMode mode;
    } cases[] = {
        {"", false, StartMode::Install},
        {"", true, StartMode::Uninstall},
        {"/UNINSTALL", true, StartMode::Launcher},
        {"/UNINSTALL", false, StartMode::LauncherNoLogInfo},
        {"/uninstall", false, StartMode::Install},
        {"/uninstall", true, StartMode::Uninstall},
        {"/UNINSTALL ", true, StartMode::Uninstall},
    };
    for (const auto& c : cases)
        EXPECT_EQ(installer::DecideStartMode(c.commandLine, c.marker), c.mode) << c.commandLine;
}

TEST(InstallFlow, ComponentListEndsAtAnEmptyNameButDefaultsStillInstall)
{
    installer::IniText ini(
        "[COMPONENT01]\nname=a\ndefault=1\n[COMPONENT02]\nname=b\nos=2\ndefault=1\n"
        "[COMPONENT03]\ndefault=1\n[COMPONENT04]\nname=d\ndefault=1\n");
    const installer::SetupScript s = installer::ReadSetupScript(ini, 1, installer::JapaneseDefaults());
    const std::vector<installer::ComponentItem> items = installer::ComponentList(s, true);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].preselected);
    EXPECT_FALSE(items[1].preselected);

    std::vector<bool> expected(32, false);
    expected[0] = expected[1] = expected[2] = expected[3] = true;
    EXPECT_EQ(installer::DefaultSelection(s), expected);

    expected.assign(32, false);
    expected[1] = true;
    EXPECT_EQ(installer::PageSelection(s, items, {false, true}), expected);
}

TEST(InstallFlow, FinishPageAndActions)
{
    installer::FinishOptions finish;
    finish.first.offer = installer::FinishOffer::Checked;
    finish.second.offer = installer::FinishOffer::Unchecked;
    finish.second.parameters = "/p";
    const installer::FinishPageState normal = installer::MakeFinishPage(finish, false);
    EXPECT_TRUE(normal.firstVisible && normal.secondVisible && normal.optionsEnabled);
    EXPECT_TRUE(normal.firstChecked);
    EXPECT_FALSE(normal.secondChecked || normal.restartVisible);

    const installer::FinishPageState restart = installer::MakeFinishPage(finish, true);
    EXPECT_TRUE(restart.firstVisible && restart.secondVisible);
    EXPECT_FALSE(restart.optionsEnabled || restart.firstChecked || restart.secondChecked);
    EXPECT_TRUE(restart.restartVisible && restart.restartChecked);
    EXPECT_FALSE(restart.openFirst || restart.openSecond);

    const installer::FinishPlan plan = installer::PlanFinish(finish, true, true, false, "C:\\App");
    EXPECT_EQ(plan.currentFolder, "C:\\App");
    EXPECT_EQ(plan.open, (std::vector<installer::FinishAction>{{"README.TXT", ""}, {"README.TXT", "/p"}}));
    EXPECT_TRUE(installer::PlanFinish(finish, false, false, true, "C:\\App").open.empty());
    EXPECT_EQ(installer::FinishOffPrompt(true), installer::FinishPrompt::RestartQuestion);
}

}  // namespace
