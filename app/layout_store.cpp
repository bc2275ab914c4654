#include "app/layout_store.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace app {

namespace {

constexpr int kGridColumns = 4;
constexpr int kGridRows = 3;
constexpr int kGroupShift = 15;

std::string ListPrefix(int list)
{
    return ListWindowKey(list, "");
}

ProfileRect ToProfile(const WindowRect& r)
{
    return ProfileRect{static_cast<int>(r.top), static_cast<int>(r.left), static_cast<int>(r.bottom),
                       static_cast<int>(r.right)};
}

// The rectangle stored for one list window: a minimised one at its icon position.
ProfileRect StoredRect(const ListPlacement& p)
{
    const bool minimized =
        p.showCmd == kShowMinimized || p.showCmd == kMinimize || p.showCmd == kShowMinNoActive;
    if (!minimized)
        return ToProfile(p.normal);
    WindowRect r{p.minX, p.minY, p.minX + (p.normal.right - p.normal.left),
                 p.minY + (p.normal.bottom - p.normal.top)};
    return ToProfile(r);
}

int Saturate(int64_t value)
{
    return static_cast<int>(
        std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// `value` moved into low..high; an empty range (high < low) keeps it at low.
int64_t MoveInto(int64_t value, int64_t low, int64_t high)
{
    return std::clamp(value, low, std::max(low, high));
}

}  // namespace

WindowRect DefaultGridRect(int list, int width, int height)
{
    const int64_t column = list % kGridColumns;
    const int64_t row = (list / kGridColumns) % kGridRows;
    const int64_t shift = int64_t{list / (kGridColumns * kGridRows)} * kGroupShift;
    const int top = Saturate(height * row + shift);
    const int left = Saturate(width * column + shift);
    return WindowRect{left, top, Saturate(int64_t{left} + width), Saturate(int64_t{top} + height)};
}

CellSize ReadCellSize(const ProfileSettings& settings)
{
    int width = settings.Get(settings::kWindowWidth);
    int height = settings.Get(settings::kWindowHeight);
    if (width <= 0)
        width = settings::kWindowWidth.defaultValue;
    if (height <= 0)
        height = settings::kWindowHeight.defaultValue;
    return CellSize{std::min(width, kMaxWindowSize), std::min(height, kMaxWindowSize)};
}

ProfileRect ReadListRect(const ProfileSettings& settings, const char* section, int list, int width,
                         int height)
{
    const WindowRect grid = DefaultGridRect(list, width, height);
    const std::string prefix = ListPrefix(list);
    fw::Profile& profile = settings.Profile();
    ProfileRect r;
    r.top = profile.GetInt(section, (prefix + settings::kTop).c_str(), static_cast<int>(grid.top));
    r.left = profile.GetInt(section, (prefix + settings::kLeft).c_str(), static_cast<int>(grid.left));
    r.bottom =
        profile.GetInt(section, (prefix + settings::kBottom).c_str(), Saturate(int64_t{r.top} + height));
    r.right = profile.GetInt(section, (prefix + settings::kRight).c_str(), Saturate(int64_t{r.left} + width));
    return r;
}

void SaveWorkingLayout(const ProfileSettings& settings,
                       const std::array<ListPlacement, lists::kListCount>& lists,
                       const WindowRect& mainNormal)
{
    const char* section = settings::kWorkingLayoutSection;
    for (int nn = 0; nn < lists::kListCount; ++nn) {
        const ListPlacement& p = lists[static_cast<size_t>(nn)];
        const int show = p.showCmd == kShowMinimized ? kMinimize : kShowNormal;
        settings.Profile().WriteInt(section, ListWindowKey(nn, settings::kShow).c_str(), show);
        settings.SetRect(section, ListPrefix(nn), StoredRect(p));
    }
    settings.SetRect(section, "", ToProfile(mainNormal));
}

WorkingLayout ReadWorkingLayout(const ProfileSettings& settings)
{
    const CellSize cell = ReadCellSize(settings);
    const char* section = settings::kWorkingLayoutSection;
    WorkingLayout layout;
    for (int nn = 0; nn < lists::kListCount; ++nn) {
        layout.show[static_cast<size_t>(nn)] = settings.ListWindowShow(nn);
        layout.lists[static_cast<size_t>(nn)] = ReadListRect(settings, section, nn, cell.width, cell.height);
    }
    layout.main = settings.GetRect(section, "", kDefaultMainRect);
    return layout;
}

int SanitizeShow(int show)
{
    return show == kMinimize ? kMinimize : kShowNormal;
}

ProfileRect SanitizeRect(const ProfileRect& rect, const WindowRect& area, int maxSize, int titleHeight)
{
    const int64_t largest = std::clamp(maxSize, kMinWindowSize, kMaxWindowSize);
    int64_t left = std::min<int64_t>(rect.left, rect.right);
    int64_t top = std::min<int64_t>(rect.top, rect.bottom);
    const int64_t width =
        std::clamp<int64_t>(std::max<int64_t>(rect.left, rect.right) - left, kMinWindowSize, largest);
    const int64_t height =
        std::clamp<int64_t>(std::max<int64_t>(rect.top, rect.bottom) - top, kMinWindowSize, largest);
    const int64_t areaWidth = std::max<int64_t>(0, int64_t{area.right} - area.left);
    const int64_t areaHeight = std::max<int64_t>(0, int64_t{area.bottom} - area.top);
    const bool titleInReach = left < area.right && left + width > area.left && top < area.bottom &&
                              top + std::max(titleHeight, 1) > area.top;
    if (!titleInReach) {
        const int64_t keepX = std::min<int64_t>(kMinVisible, areaWidth);
        const int64_t keepY = std::min<int64_t>(kMinVisible, areaHeight);
        left = MoveInto(left, int64_t{area.left} - (width - keepX), int64_t{area.right} - keepX);
        top = MoveInto(top, area.top, int64_t{area.bottom} - keepY);
    }
    return ProfileRect{static_cast<int>(top), static_cast<int>(left), static_cast<int>(top + height),
                       static_cast<int>(left + width)};
}

void CopyLayout(const ProfileSettings& settings, const char* source, const char* target)
{
    const CellSize cell = ReadCellSize(settings);
    for (int nn = 0; nn < lists::kListCount; ++nn)
        settings.SetRect(target, ListPrefix(nn), ReadListRect(settings, source, nn, cell.width, cell.height));
    settings.SetRect(target, "", settings.GetRect(source, "", kDefaultMainRect));
}

std::vector<NamedLayout> ReadLayoutList(const ProfileSettings& settings)
{
    const int count = std::clamp(settings.Get(settings::kLayoutCount), 0, kMaxNamedLayouts);
    std::vector<NamedLayout> layouts;
    layouts.reserve(static_cast<size_t>(count));
    for (int nn = 0; nn < count; ++nn)
        layouts.push_back(NamedLayout{settings.LayoutName(nn), settings.LayoutId(nn)});
    return layouts;
}

void WriteLayoutList(const ProfileSettings& settings, const std::vector<NamedLayout>& inListOrder)
{
    fw::Profile& profile = settings.Profile();
    const int count = static_cast<int>(inListOrder.size());
    for (int nn = 0; nn < count; ++nn) {
        const NamedLayout& layout = inListOrder[static_cast<size_t>(nn)];
        profile.WriteString(settings::kLayoutSection, LayoutNameKey(nn).c_str(), layout.name);
        profile.WriteInt(settings::kLayoutSection, LayoutIdKey(nn).c_str(), layout.id);
    }
    settings.Set(settings::kLayoutCount, count);
}

int NewLayoutId(const ProfileSettings& settings)
{
    const int id = std::clamp(settings.LayoutLastId(), 0, std::numeric_limits<int>::max() - 1) + 1;
    settings.Profile().WriteInt(settings::kLayoutSection, settings::kLayoutLastIdKey, id);
    return id;
}

}  // namespace app
