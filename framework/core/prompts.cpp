#include "framework/core/prompts.h"

#include <atomic>

namespace fw {

Prompts& DefaultPrompts();  // per platform

namespace {
std::atomic<Prompts*> g_prompts{nullptr};
}

bool Prompts::ChooseFile(intptr_t, const FileChoice&, std::string&)
{
    return false;
}

bool Prompts::ChooseFiles(intptr_t, const FileChoice&, std::vector<std::string>&)
{
    return false;
}

Prompts& CurrentPrompts()
{
    Prompts* p = g_prompts.load();
    return p ? *p : DefaultPrompts();
}

Prompts* SetPrompts(Prompts* prompts)
{
    return g_prompts.exchange(prompts);
}

}  // namespace fw
