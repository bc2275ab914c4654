// Fuzzes the path order: it must be a strict weak order on any byte strings, and the
// sorted path set must find everything it inserted.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lists/path_order.h"
#include "lists/sorted_path_set.h"

namespace {

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // Two length bytes cut the rest into three strings.
    size_t rest = size - 2;
    size_t la = data[0] % (rest + 1);
    size_t lb = data[1] % (rest - la + 1);
    const char* text = reinterpret_cast<const char*>(data + 2);
    std::string s[3] = {std::string(text, la), std::string(text + la, lb),
                        std::string(text + la + lb, rest - la - lb)};

    const lists::PathOrder& order = lists::PathOrder::System();
    int c[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            c[i][j] = Sign(order.Compare(s[i], s[j]));
    for (int i = 0; i < 3; ++i) {
        Check(c[i][i] == 0);  // irreflexive
        for (int j = 0; j < 3; ++j) {
            Check(c[i][j] == -c[j][i]);  // antisymmetric
            for (int k = 0; k < 3; ++k) {
                if (c[i][j] <= 0 && c[j][k] <= 0)
                    Check(c[i][k] <= 0);  // transitive, equality included
                if (c[i][j] < 0 && c[j][k] < 0)
                    Check(c[i][k] < 0);
            }
        }
    }

    lists::SortedPathSet set(order);
    int distinct = 0;
    for (int i = 0; i < 3; ++i) {
        bool seen = false;
        for (int j = 0; j < i; ++j)
            seen = seen || c[i][j] == 0;
        int at = set.Insert(s[i]);
        Check((at < 0) == seen);
        distinct += !seen;
    }
    Check(static_cast<int>(set.Count()) == distinct);
    for (int i = 0; i < 3; ++i) {
        int at = set.Find(s[i]);
        Check(at >= 0 && order.Compare(set[static_cast<size_t>(at)], s[i]) == 0);
    }
    for (size_t i = 1; i < set.Count(); ++i)
        Check(order.Less(set[i - 1], set[i]));

    lists::SortedPathSet batch(order);
    batch.InsertMany({s[0], s[1], s[2]});
    Check(batch.Paths() == set.Paths());
    return 0;
}
