// The named quantity tables: variables and units.
#include "quantity/si_lists.h"

#include "base/quorvel_error.h"

#include <charconv>

namespace quorvel {

TSIVar SiVarSet(std::u16string_view name, const TSINumber& quantity)
{
    return TSIVar{quantity, std::u16string(name), false};
}

TSIVar SiVarMake(std::u16string_view name, double value, std::int32_t m, std::int32_t kg,
                 std::int32_t s, std::int32_t k, std::int32_t a, std::int32_t mol, std::int32_t cd)
{
    return SiVarSet(name, SiSet(value, m, kg, s, k, a, mol, cd));
}

void ThrowIndexError(std::int32_t index)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, index).ptr;
    std::u16string message = u"Obj not set in ShortStrObjList.Getitem, index ";
    message.append(digits, end);
    throw QuorvelError(std::move(message));
}

std::int32_t TSiVarList::Add(const TSIVar& element)
{
    IncCount();
    slot(Count - 1) = element;
    return Count - 1;
}

void TSiVarList::SetItem(std::int32_t index, const TSIVar& element)
{
    Grow(index);
    if (index >= Count)
        Count = index + 1;
    slot(index) = element;
}

std::int32_t TSiVarList::IndexOf(std::u16string_view name) const
{
    // Most names are one or two characters long: compare the first one before the rest.
    const char16_t first = name.empty() ? u'\0' : name.front();
    for (std::int32_t i = Count - 1; i >= 0; --i) {
        const std::u16string& candidate = Items[static_cast<std::size_t>(i)].Name;
        if (candidate.size() == name.size() && (name.empty() || candidate.front() == first) &&
            candidate == name)
            return i;
    }
    return -1;
}

std::int32_t TSiVarList::AddOrReplace(const TSIVar& element)
{
    const std::int32_t i = IndexOf(element.Name);
    if (i < 0)
        return Add(element);
    SetItem(i, element);
    return i;
}

void TSiVarList::ClearUsed()
{
    for (std::int32_t i = 0; i < Count; ++i)
        slot(i).Used = false;
}

void TSiUnitList::SetBaseUnits()
{
    Clear();
    Add(SiVarMake(u"", 1, 0, 0, 0, 0, 0, 0, 0));
    Add(SiVarMake(u"m", 1, 1, 0, 0, 0, 0, 0, 0));
    Add(SiVarMake(u"kg", 1, 0, 1, 0, 0, 0, 0, 0));
    Add(SiVarMake(u"s", 1, 0, 0, 1, 0, 0, 0, 0));
    Add(SiVarMake(u"K", 1, 0, 0, 0, 1, 0, 0, 0));
    Add(SiVarMake(u"A", 1, 0, 0, 0, 0, 1, 0, 0));
    Add(SiVarMake(u"mol", 1, 0, 0, 0, 0, 0, 1, 0));
    Add(SiVarMake(u"cd", 1, 0, 0, 0, 0, 0, 0, 1));
    ClearUsed();
}

} // namespace quorvel
