#include "thumbctl/server/class_table.h"

#include "VelmoraThumbCtl.h"
#include "VelmoraThumbCtl_res.h"

namespace thumbctl {
namespace {

// ---- The class table: one line per class, in registration order. ----
constexpr fw::com::ClassEntry kClasses[] = {
    {&CLSID_VelmoraThumbCtl, CreateThumbControl},
    {&CLSID_VelmoraPictureCache, CreatePictureCache},
};

// ---- Registration scripts, in registration order. ----
constexpr UINT kScripts[] = {
    IDR_VELMORATHUMBCTL,
    IDR_VELMORAPICTURECACHE,
};

}  // namespace

std::span<const fw::com::ClassEntry> ServerClasses()
{
    return kClasses;
}

std::span<const UINT> RegistrationScripts()
{
    return kScripts;
}

}  // namespace thumbctl
