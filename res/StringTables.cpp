// Look-up in the compiled string tables: which languages have a table, and one entry of one table.
#include "CResource.h"
#include "StringTable.h"

#include <algorithm>
#include <array>
#include <vector>

namespace corvina {

namespace {

// The identifiers every complete table carries, ascending.
constexpr std::array<unsigned, 171> kStringIds = {
    500,
    501,
    502,
    503,
    504,
    505,
    506,
    507,
    508,
    510,
    511,
    512,
    513,
    514,
    517,
    518,
    519,
    521,
    522,
    523,
    524,
    525,
    526,
    527,
    528,
    529,
    530,
    531,
    532,
    533,
    534,
    535,
    536,
    537,
    538,
    540,
    541,
    542,
    543,
    544,
    545,
    546,
    547,
    548,
    549,
    550,
    4010,
    4011,
    4012,
    4013,
    4014,
    4015,
    4016,
    4017,
    4018,
    4019,
    4020,
    4021,
    4022,
    4023,
    4024,
    4025,
    4026,
    4027,
    4028,
    4029,
    4030,
    4031,
    4032,
    4033,
    4034,
    4035,
    4036,
    4037,
    4038,
    4039,
    4040,
    4058,
    4059,
    4516,
    4524,
    4538,
    4556,
    4557,
    4564,
    4577,
    4581,
    4584,
    4589,
    4590,
    4595,
    4596,
    4597,
    4598,
    4599,
    // Beyond the first tables: no sound output, a clip too long to write, finding the phone.
    4700,
    4701,
    4702,
    4703,
    4710,
    4711,
    4712,
    4713,
    4714,
    4715,
    4716,
    4717,
    4718,
    4719,
    4720,
    4721,
    4722,
    4723,
    4724,
    4725,
    4726,
    4727,
    4728,
    4729,
    4730,
    // Sounding like the phone, clips fitted to it, melody lines and the suggested clip.
    4740,
    4741,
    4742,
    4743,
    4744,
    4745,
    4746,
    4747,
    4748,
    4749,
    4750,
    4751,
    4752,
    4753,
    4754,
    4755,
    4756,
    4757,
    4758,
    4759,
    4760,
    4761,
    4762,
    4763,
    4764,
    4765,
    4766,
    4767,
    4768,
    4769,
    4770,
    4771,
    4772,
    4773,
    4774,
    4775,
    4776,
    4777,
    4778,
    4779,
    4780,
    4781,
    4782,
    4783,
    4784,
    4785,
    4786,
    4787,
    4788,
    4789,
    4790,
};

const StringTable* FindTable(long languageId)
{
    std::size_t count = 0;
    const StringTable* const* tables = AllStringTables(count);
    for (std::size_t i = 0; i < count; ++i)
        if (tables[i]->language == languageId)
            return tables[i];
    return nullptr;
}

} // namespace

const unsigned* AllStringIds(std::size_t& count)
{
    count = kStringIds.size();
    return kStringIds.data();
}

const char* LookupString(long languageId, unsigned id)
{
    const StringTable* table = FindTable(languageId);
    if (table == nullptr)
        return nullptr;
    const StringEntry* end = table->entries + table->count;
    // Tables are kept in ascending order; a table written out of order still answers, just slower.
    const StringEntry* it =
        std::lower_bound(table->entries, end, id, [](const StringEntry& e, unsigned v) { return e.id < v; });
    if (it != end && it->id == id)
        return it->text;
    for (const StringEntry* e = table->entries; e != end; ++e)
        if (e->id == id)
            return e->text;
    return nullptr;
}

const long* AllLanguages(std::size_t& count)
{
    static const std::vector<long> languages = [] {
        std::size_t n = 0;
        const StringTable* const* tables = AllStringTables(n);
        std::vector<long> ids;
        for (std::size_t i = 0; i < n; ++i)
            ids.push_back(tables[i]->language);
        std::sort(ids.begin(), ids.end());
        return ids;
    }();
    count = languages.size();
    return languages.data();
}

} // namespace corvina
