#include "thumbctl/control/class_table.h"

#include "VelmoraThumbCtl.h"
#include "VelmoraThumbCtl_res.h"

namespace thumbctl {
namespace {

// ---- The class table: one line per class, in registration order. ----
constexpr fw::com::ClassEntry kClasses[] = {
    {&CLSID_VelmoraThumbCtl, CreateThumbControl},
#if defined(VELMORA_HAS_PICTURE_CACHE)
    {&CLSID_VelmoraPictureCache, CreatePictureCache},
#endif
    {nullptr, nullptr},  // end marker, keeps the array non-empty
};

// ---- Registration scripts, written whatever the class table holds. ----
constexpr UINT kScripts[] = {
    IDR_VELMORATHUMBCTL,
    IDR_VELMORAPICTURECACHE,
};

}  // namespace

std::span<const fw::com::ClassEntry> ServerClasses()
{
    return {kClasses, std::size(kClasses) - 1};
}

std::span<const UINT> RegistrationScripts()
{
    return kScripts;
}

}  // namespace thumbctl
