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

void TSiVarList::Clear()
{
    TQuantityList<TSIVar>::Clear();
    m_index.clear();
}

std::int32_t TSiVarList::Add(const TSIVar& element)
{
    IncCount();
    slot(Count - 1) = element;
    indexName(element.Name, Count - 1);
    return Count - 1;
}

void TSiVarList::SetItem(std::int32_t index, const TSIVar& element)
{
    Grow(index);
    if (index >= Count) {
        // The slots in between come back with what they held before; rare enough to index anew.
        Count = index + 1;
        slot(index) = element;
        rebuildIndex();
        return;
    }
    if (slot(index).Name != element.Name) {
        unindexSlot(index);
        slot(index) = element;
        indexName(element.Name, index);
        return;
    }
    slot(index) = element;
}

std::int32_t TSiVarList::IndexOf(std::u16string_view name) const
{
    const auto found = m_index.find(name);
    return found == m_index.end() ? -1 : found->second;
}

std::int32_t TSiVarList::AddOrReplace(const TSIVar& element)
{
    const std::int32_t i = IndexOf(element.Name);
    if (i < 0)
        return Add(element);
    SetItem(i, element);
    return i;
}

// The index holds the last entry of each name.
void TSiVarList::indexName(const std::u16string& name, std::int32_t index)
{
    const auto [entry, added] = m_index.try_emplace(name, index);
    if (!added && entry->second < index)
        entry->second = index;
}

// Before slot index takes another name: its old name falls back to an earlier entry, if any.
void TSiVarList::unindexSlot(std::int32_t index)
{
    const std::u16string& name = slot(index).Name;
    const auto entry = m_index.find(name);
    if (entry == m_index.end() || entry->second != index)
        return;
    for (std::int32_t i = index - 1; i >= 0; --i) {
        if (slot(i).Name == name) {
            entry->second = i;
            return;
        }
    }
    m_index.erase(entry);
}

void TSiVarList::rebuildIndex()
{
    m_index.clear();
    for (std::int32_t i = 0; i < Count; ++i)
        indexName(slot(i).Name, i);
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
