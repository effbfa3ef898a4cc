// SPDX-License-Identifier: GPL-3.0-or-later
// The named quantity tables: variables and units.
#include "engine/quantity/si_lists.h"

#include "engine/base/quorvel_error.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

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

namespace {

constexpr std::size_t kMinSlots = 64;

// The size of an open-addressing index over count entries: a power of two, at most half full
// once they are all in.
std::size_t slotsFor(std::int32_t count)
{
    std::size_t size = kMinSlots;
    while (size < 2 * (static_cast<std::size_t>(count) + 1))
        size *= 2;
    return size;
}

} // namespace

// Names are short: a multiply-and-add over the characters, then the high bits folded down
// for the power-of-two table.
std::size_t TSIVarList::HashOf(std::u16string_view name)
{
    std::uint64_t h = name.size();
    for (char16_t c : name)
        h = h * 131 + c;
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

namespace {

// Every result's unit is looked up by this hash. The seven exponents are read as three pairs
// and one; each pair is multiplied by a constant of its own and the products folded together,
// so no multiplication waits for another, as a chain of them would.
std::size_t hashDimension(const TSINumber& x)
{
    static_assert(BaseUnitCount == 7);
    std::array<std::uint64_t, 3> pairs{};
    std::memcpy(pairs.data(), x.Exponents.data(), sizeof pairs);
    const auto last = static_cast<std::uint32_t>(x.Exponents[6]);
    std::uint64_t h = (pairs[0] * 0x9E3779B97F4A7C15ull) ^ (pairs[1] * 0xC2B2AE3D27D4EB4Full) ^
                      (pairs[2] * 0x165667B19E3779F9ull) ^ last;
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

} // namespace

void TSIVarList::Clear()
{
    TQuantityList<TSIVar>::Clear();
    std::fill(m_slots.begin(), m_slots.end(), -1);
    m_indexed = 0;
    std::fill(m_dimensionSlots.begin(), m_dimensionSlots.end(), -1);
    m_dimensions = 0;
    m_firstOfBaseKnown = false;
}

std::int32_t TSIVarList::Add(const TSIVar& element)
{
    IncCount();
    slot(Count - 1) = element;
    m_firstOfBaseKnown = false;
    if (element.Used)
        listUsed(Count - 1);
    indexName(Count - 1);
    if (m_dimensionsIndexed)
        indexDimension(Count - 1);
    return Count - 1;
}

void TSIVarList::SetItem(std::int32_t index, const TSIVar& element)
{
    Grow(index);
    const bool renamed = index >= Count || slot(index).Name != element.Name;
    const bool moved = m_dimensionsIndexed &&
                       (index >= Count || !SiSameUnit(slot(index).Quantity, element.Quantity));
    if (index >= Count)
        Count = index + 1; // the slots in between come back with what they held before
    slot(index) = element;
    m_firstOfBaseKnown = false;
    if (element.Used)
        listUsed(index);
    if (renamed)
        rebuildIndex();
    if (moved)
        rebuildDimensions();
}

std::int32_t TSIVarList::IndexOf(std::u16string_view name, std::size_t hash) const
{
    if (m_slots.empty())
        return -1;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const std::int32_t i = m_slots[s];
        if (i < 0)
            return -1;
        if (Items[static_cast<std::size_t>(i)].Name == name)
            return i;
    }
}

std::int32_t TSIVarList::AddOrReplace(const TSIVar& element)
{
    const std::int32_t i = IndexOf(element.Name);
    if (i < 0)
        return Add(element);
    SetItem(i, element);
    return i;
}

void TSIVarList::RemoveLast()
{
    if (Count == 0)
        return;
    --Count;
    slot(Count) = TSIVar{};
    m_firstOfBaseKnown = false;
    rebuildIndex();
    if (m_dimensionsIndexed)
        rebuildDimensions();
}

// The index holds the last entry of each name.
void TSIVarList::indexName(std::int32_t index)
{
    if (2 * (static_cast<std::size_t>(m_indexed) + 1) > m_slots.size()) {
        rebuildIndex(); // entry index is already in the table, so this indexes it too
        return;
    }
    const std::u16string& name = slot(index).Name;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t s = HashOf(name) & mask;; s = (s + 1) & mask) {
        std::int32_t& i = m_slots[s];
        if (i < 0) {
            i = index;
            ++m_indexed;
            return;
        }
        if (slot(i).Name == name) {
            i = std::max(i, index);
            return;
        }
    }
}

void TSIVarList::rebuildIndex()
{
    m_slots.assign(slotsFor(Count), -1);
    m_indexed = 0;
    for (std::int32_t i = 0; i < Count; ++i)
        indexName(i);
}

void TSIVarList::IndexDimensions()
{
    m_dimensionsIndexed = true;
    rebuildDimensions();
}

std::int32_t TSIVarList::FirstOfDimension(const TSINumber& x) const
{
    if (!m_dimensionsIndexed) {
        for (std::int32_t i = 0; i < Count; ++i) {
            if (SiSameUnit(Items[static_cast<std::size_t>(i)].Quantity, x))
                return i;
        }
        return -1;
    }
    if (m_dimensionSlots.empty())
        return -1;
    const std::size_t mask = m_dimensionSlots.size() - 1;
    for (std::size_t s = hashDimension(x) & mask;; s = (s + 1) & mask) {
        const std::int32_t first = m_dimensionSlots[s];
        if (first < 0 || SiSameUnit(Items[static_cast<std::size_t>(first)].Quantity, x))
            return first;
    }
}

std::int32_t TSIVarList::FirstUsedOfDimension(const TSINumber& x) const
{
    // m_used lists every entry whose mark is set (and perhaps some whose mark was overwritten
    // since), in the order they were named; the first in the list's order is the smallest index.
    std::int32_t first = -1;
    for (const std::int32_t i : m_used) {
        if (i >= Count || (first >= 0 && i > first))
            continue;
        const TSIVar& entry = Items[static_cast<std::size_t>(i)];
        if (entry.Used && SiSameUnit(entry.Quantity, x))
            first = i;
    }
    return first;
}

namespace {

// The base unit whose dimension x has alone, to the first power; BaseUnitCount for any other.
std::size_t baseOf(const TSINumber& x)
{
    std::size_t base = BaseUnitCount;
    for (std::size_t b = 0; b < BaseUnitCount; ++b) {
        if (x.Exponents[b] == 0)
            continue;
        if (x.Exponents[b] != 1 || base != BaseUnitCount)
            return BaseUnitCount;
        base = b;
    }
    return base;
}

} // namespace

void TSIVarList::PreferredBaseEntries(std::array<std::int32_t, BaseUnitCount>& entries) const
{
    entries.fill(-1);
    for (const std::int32_t i : m_used) {
        if (i >= Count)
            continue;
        const TSIVar& entry = Items[static_cast<std::size_t>(i)];
        const std::size_t b = baseOf(entry.Quantity);
        if (entry.Used && b < BaseUnitCount && (entries[b] < 0 || i < entries[b]))
            entries[b] = i;
    }
    if (!m_firstOfBaseKnown) {
        for (std::size_t b = 0; b < BaseUnitCount; ++b) {
            TSINumber dimension = SiOne;
            dimension.Exponents[b] = 1;
            m_firstOfBase[b] = FirstOfDimension(dimension);
        }
        m_firstOfBaseKnown = true;
    }
    for (std::size_t b = 0; b < BaseUnitCount; ++b) {
        if (entries[b] < 0)
            entries[b] = m_firstOfBase[b];
    }
}

// The index holds the first entry of each dimension.
void TSIVarList::indexDimension(std::int32_t index)
{
    if (2 * (static_cast<std::size_t>(m_dimensions) + 1) > m_dimensionSlots.size()) {
        rebuildDimensions(); // entry index is already in the table, so this indexes it too
        return;
    }
    const TSINumber& x = slot(index).Quantity;
    const std::size_t mask = m_dimensionSlots.size() - 1;
    for (std::size_t s = hashDimension(x) & mask;; s = (s + 1) & mask) {
        std::int32_t& first = m_dimensionSlots[s];
        if (first < 0) {
            first = index;
            ++m_dimensions;
            return;
        }
        if (SiSameUnit(slot(first).Quantity, x))
            return; // entries are indexed in the order of the list
    }
}

void TSIVarList::rebuildDimensions()
{
    m_dimensionSlots.assign(slotsFor(Count), -1);
    m_dimensions = 0;
    for (std::int32_t i = 0; i < Count; ++i)
        indexDimension(i);
}

void TSIVarList::ClearUsed()
{
    // Marks beyond Count are kept, as a walk over the entries would keep them: SetItem may
    // bring such a slot back with what it held.
    auto kept = m_used.begin();
    for (const std::int32_t i : m_used) {
        if (i < Count) {
            slot(i).Used = false;
            m_listed[static_cast<std::size_t>(i)] = 0;
        } else {
            *kept++ = i;
        }
    }
    m_used.resize(static_cast<std::size_t>(kept - m_used.begin()));
}

void TSIUnitList::SetBaseUnits()
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
