// SPDX-License-Identifier: GPL-3.0-or-later
// Growable arrays of quantities: the evaluator's value stack (TSINumberList), its variable
// table (TSIVarList) and its unit table (TSIUnitList, which starts with the SI base units).
#pragma once

#include "engine/quantity/si_number.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct TSIVar
{
    TSINumber Quantity;
    std::u16string Name;
    // Set when a formula names the entry; preferred units for writing results.
    bool Used = false;
};

TSIVar SiVarSet(std::u16string_view name, const TSINumber& quantity);
TSIVar SiVarMake(std::u16string_view name, double value, std::int32_t m, std::int32_t kg,
                 std::int32_t s, std::int32_t k, std::int32_t a, std::int32_t mol, std::int32_t cd);

[[noreturn]] void ThrowIndexError(std::int32_t index);

// Slots at and beyond Count stay allocated (Capacity > Count always holds), and growth adds
// 100 slots past the index that needed it, so pushes rarely reallocate.
template <typename T> class TQuantityList
{
public:
    TQuantityList() { Clear(); }

    std::int32_t Count = 0;
    std::int32_t Capacity = 0;
    std::vector<T> Items;

    void Clear()
    {
        Items.resize(100);
        Capacity = 100;
        Count = 0;
    }

    T Getitem(std::int32_t index) const { return at(index); }

    // Checked access without the copy.
    const T& at(std::int32_t index) const
    {
        if (index < 0 || index >= Count)
            ThrowIndexError(index);
        return Items[static_cast<std::size_t>(index)];
    }

    void Grow(std::int32_t index)
    {
        if (index >= Capacity) {
            Capacity = index + 100;
            Items.resize(static_cast<std::size_t>(Capacity));
        }
    }

    void IncCount()
    {
        ++Count;
        Grow(Count);
    }

protected:
    T& slot(std::int32_t index) { return Items[static_cast<std::size_t>(index)]; }
};

class TSINumberList : public TQuantityList<TSINumber>
{
public:
    void Add(const TSINumber& element)
    {
        IncCount();
        slot(Count - 1) = element;
    }

    void SetCount(std::int32_t n)
    {
        Grow(n);
        Count = n;
    }
};

// Items and Count are written only through the operations below: they keep an index from each
// name to its last entry, so that a lookup does not walk a table of hundreds of variables.
class TSIVarList : public TQuantityList<TSIVar>
{
public:
    void Clear();
    std::int32_t Add(const TSIVar& element);
    void SetItem(std::int32_t index, const TSIVar& element);
    // Exact, case-sensitive; the latest entry wins. -1 when there is none.
    std::int32_t IndexOf(std::u16string_view name) const { return IndexOf(name, HashOf(name)); }
    // The same with name's HashOf, for a name looked up in more than one list.
    std::int32_t IndexOf(std::u16string_view name, std::size_t hash) const;
    static std::size_t HashOf(std::u16string_view name);
    std::int32_t AddOrReplace(const TSIVar& element);
    void ClearUsed();
    // Marks an existing entry as named by a formula.
    void SetUsed(std::int32_t index)
    {
        slot(index).Used = true;
        listUsed(index);
    }
    // Removes the last entry (a variable defined only for a while); its slot is emptied.
    void RemoveLast();

    // The first entry of x's dimension in the order of the list, -1 when there is none; in a
    // unit table without a walk over the whole table (IndexDimensions).
    std::int32_t FirstOfDimension(const TSINumber& x) const;
    // The same among the entries a formula named (Used). The named entries are few, so they are
    // searched instead of all entries of the dimension, of which a result's unit is chosen.
    std::int32_t FirstUsedOfDimension(const TSINumber& x) const;
    // For each base unit (storage order), the entry of exactly its dimension that a unit
    // composed of base units writes it with: FirstUsedOfDimension, else FirstOfDimension; -1
    // when there is none. One walk over the named entries for all seven, where seven lookups
    // walked them seven times; the first of each is kept until the list changes.
    void PreferredBaseEntries(std::array<std::int32_t, BaseUnitCount>& entries) const;

protected:
    // Keeps an index of the entries by dimension from now on. Worth it for a table that is
    // searched by dimension for every result and seldom changed (units), not for one whose
    // entries change their dimension line by line (variables).
    void IndexDimensions();

private:
    // Inline: every unit and variable a formula names comes here.
    void listUsed(std::int32_t index)
    {
        const auto i = static_cast<std::size_t>(index);
        if (m_listed.size() <= i)
            m_listed.resize(Items.size());
        if (m_listed[i] == 0) {
            m_listed[i] = 1;
            m_used.push_back(index);
        }
    }
    void indexName(std::int32_t index);
    void rebuildIndex();
    void indexDimension(std::int32_t index);
    void rebuildDimensions();

    // Open addressing over entry indexes (-1: empty), a power of two in size and at most half
    // full. A renamed entry or a slot that comes back into use rebuilds it; both are rare.
    std::vector<std::int32_t> m_slots;
    std::int32_t m_indexed = 0;
    // Every slot whose Used mark is set is listed here once (m_listed), perhaps with slots
    // emptied since: a line clears the few marks its formula set, not the whole table.
    std::vector<std::int32_t> m_used;
    std::vector<std::uint8_t> m_listed; // a byte each: cheaper to test and set than bits

    // Open addressing over dimensions, as m_slots over names: the first entry of each dimension.
    bool m_dimensionsIndexed = false;
    std::vector<std::int32_t> m_dimensionSlots;
    std::int32_t m_dimensions = 0;

    // FirstOfDimension of each base unit, while m_firstOfBaseKnown; every change forgets them.
    mutable std::array<std::int32_t, BaseUnitCount> m_firstOfBase{};
    mutable bool m_firstOfBaseKnown = false;
};

class TSIUnitList : public TSIVarList
{
public:
    TSIUnitList()
    {
        IndexDimensions();
        SetBaseUnits();
    }
    // Entry 0 is the unnamed dimensionless unit, then m, kg, s, K, A, mol, cd.
    void SetBaseUnits();
};

} // namespace quorvel
