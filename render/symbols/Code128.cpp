#include "Code128.h"

#include <array>
#include <limits>

namespace zpl::code128 {

namespace {

// Bar and space widths in modules, bar first, for values 0-106 (106: stop,
// with its closing bar).
constexpr const char *kPatterns[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112",
};

bool IsDigit(int item)
{
    return item >= '0' && item <= '9';
}

// Codewords that item `item` costs in subset A or B; 0 when it cannot go there.
int CharCost(Subset subset, int item)
{
    if (item == kFnc1Item || CharValue(subset, static_cast<unsigned char>(item)) >= 0)
        return 1;
    const int low = item & 0x7f;
    const Subset other = subset == A ? B : A;
    if (item < 128)
        return CharValue(other, static_cast<unsigned char>(item)) >= 0 ? 2 : 0; // SHIFT
    return CharValue(subset, static_cast<unsigned char>(low)) >= 0 ? 2 : 0;   // FNC4
}

} // namespace

int CharValue(Subset subset, unsigned char c)
{
    if (c >= 32 && c <= 95)
        return c - 32;
    if (subset == A && c < 32)
        return c + 64;
    if (subset == B && c >= 96 && c <= 127)
        return c - 32;
    return -1;
}

bool AppendChar(Subset subset, unsigned char c, std::vector<int> *codewords)
{
    const Subset other = subset == A ? B : A;
    if (c >= 128) {
        if (CharValue(subset, c & 0x7f) < 0)
            return false;
        codewords->push_back(Fnc4(subset));
        codewords->push_back(CharValue(subset, c & 0x7f));
    } else if (CharValue(subset, c) >= 0) {
        codewords->push_back(CharValue(subset, c));
    } else if (CharValue(other, c) >= 0) {
        codewords->push_back(Shift);
        codewords->push_back(CharValue(other, c));
    } else {
        return false;
    }
    return true;
}

std::vector<int> EncodeAutomatic(const std::vector<int> &items)
{
    // Shortest path over (position, subset): cost[i][s] codewords so far.
    constexpr int kNone = std::numeric_limits<int>::max() / 2;
    struct Step { int cost = kNone; int from = -1; Subset before = B; };
    const int n = int(items.size());
    std::vector<std::array<Step, 3>> best(std::size_t(n) + 1);
    for (Subset s : {B, A, C})
        best[0][s] = {1, -1, s};
    for (int i = 0; i <= n; ++i) {
        auto &here = best[std::size_t(i)];
        for (Subset s : {B, A, C}) // a subset change costs one codeword
            for (Subset t : {B, A, C})
                if (here[t].cost + 1 < here[s].cost)
                    here[s] = {here[t].cost + 1, i, t};
        if (i == n)
            break;
        const int item = items[std::size_t(i)];
        auto relax = [&](Subset s, int length, int cost) {
            Step &next = best[std::size_t(i + length)][s];
            if (here[s].cost + cost < next.cost)
                next = {here[s].cost + cost, i, s};
        };
        for (Subset s : {B, A}) {
            if (const int cost = CharCost(s, item))
                relax(s, 1, cost);
        }
        if (item == kFnc1Item)
            relax(C, 1, 1);
        else if (i + 1 < n && IsDigit(item) && IsDigit(items[std::size_t(i) + 1]))
            relax(C, 2, 1);
    }
    // Walk back from the cheapest end, then replay forwards.
    Subset s = B;
    for (Subset t : {A, C})
        if (best[std::size_t(n)][t].cost < best[std::size_t(n)][s].cost)
            s = t;
    std::vector<std::pair<int, Subset>> path; // (position, subset) after each step
    for (int i = n; best[std::size_t(i)][s].from >= 0;) {
        path.push_back({i, s});
        const Step &step = best[std::size_t(i)][s];
        i = step.from;
        s = step.before;
    }
    std::vector<int> codewords{s == A ? StartA : s == B ? StartB : StartC};
    int position = 0;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        const auto [next, subset] = *it;
        if (next == position) {
            codewords.push_back(subset == A ? CodeA : subset == B ? CodeB : CodeC);
        } else if (items[std::size_t(position)] == kFnc1Item) {
            codewords.push_back(Fnc1);
        } else if (subset == C) {
            codewords.push_back((items[std::size_t(position)] - '0') * 10 + items[std::size_t(position) + 1] - '0');
        } else {
            AppendChar(subset, static_cast<unsigned char>(items[std::size_t(position)]), &codewords);
        }
        position = next;
    }
    return codewords;
}

int CheckValue(const std::vector<int> &codewords)
{
    if (codewords.empty())
        return 0;
    long sum = codewords.front();
    for (std::size_t i = 1; i < codewords.size(); ++i)
        sum += long(i) * codewords[i];
    return int(sum % 103);
}

LinearSymbol Bars(const std::vector<int> &codewords, int moduleWidth)
{
    std::vector<int> all = codewords;
    all.push_back(CheckValue(codewords));
    all.push_back(Stop);
    LinearSymbol symbol;
    int x = 0;
    for (int value : all) {
        const char *pattern = kPatterns[value];
        for (int element = 0; pattern[element]; ++element) {
            const int width = (pattern[element] - '0') * moduleWidth;
            if (element % 2 == 0)
                symbol.bars.push_back({x, width, false});
            x += width;
        }
    }
    symbol.width = x;
    return symbol;
}

} // namespace zpl::code128
