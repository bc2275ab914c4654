// Fuzzes the catalog reader: any file content keeps every list sorted, unique, disjoint
// from the others and made of existing files, the counts consistent, and a saved
// catalog reads back to the same lists.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/catalog.h"
#include "tests/support/memory_filesystem.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

class Host final : public app::CatalogHost {
public:
    bool ChooseCatalogFile(bool, std::string&) override { return false; }
    void ApplyCacheSettings() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    testing_support::MemoryFileSystem fs;
    for (const char* path :
         {"C:\\a.jpg", "C:\\B.JPG", "C:\\\x95\x5C\\x.jpg", "C:\\\x83\x5C.png", "C:\\*1", "C:\\c"})
        fs.AddFile(path);
    fs.AddFolder("C:\\d");
    fs.AddFile("C:\\cat.txt", std::string(reinterpret_cast<const char*>(data), size));
    Host host;
    lists::ListSet set(fs), again(fs);
    for (int n = 0; n < lists::kListCount; ++n) {
        set.List(n).SetFilter(n == 9 ? "*.JPG" : "*");
        again.List(n).SetFilter(n == 9 ? "*.JPG" : "*");
    }
    set.List(4).InsertAndSelect("C:\\a.jpg");
    app::Catalog catalog(set, fs, host), reader(again, fs, host);
    app::CatalogCounts counts;
    Check(catalog.Load("C:\\cat.txt", &counts));
    Check(counts.loaded >= 0 && counts.loaded <= counts.total);
    for (int n = 0; n < lists::kListCount; ++n) {
        const lists::SortedPathSet& paths = set.List(n).Paths();
        for (size_t i = 0; i < paths.Count(); ++i) {
            Check(i == 0 || lists::PathOrder::System().Less(paths[i - 1], paths[i]));
            Check(fs.Attributes(paths[i]) != fw::kAttrInvalid);
            for (int m = 0; m < lists::kListCount; ++m)
                Check(m == n || set.List(m).Paths().Find(paths[i]) < 0);
        }
    }
    Check(catalog.Write("C:\\out.txt") && reader.Load("C:\\out.txt"));
    for (int n = 0; n < lists::kListCount; ++n)
        Check(again.List(n).Paths().Paths() == set.List(n).Paths().Paths());
    return 0;
}
