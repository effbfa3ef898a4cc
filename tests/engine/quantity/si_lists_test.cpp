// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/quorvel_error.h"
#include "engine/quantity/si_lists.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace quorvel;

TEST(SiLists, UnitTableStartsWithTheBaseUnits)
{
    TSIUnitList units;
    EXPECT_EQ(units.Count, 8);
    EXPECT_EQ(units.IndexOf(u"kg"), 2);
    EXPECT_EQ(units.IndexOf(u""), 0);
    EXPECT_EQ(units.IndexOf(u"KG"), -1);
    EXPECT_EQ(units.IndexOf(u"cd"), 7);
    EXPECT_EQ(units.at(3).Quantity.Exponents[S], 1);
    for (int i = 0; i < units.Count; ++i)
        EXPECT_FALSE(units.at(i).Used);
}

TEST(SiLists, GrowthKeepsElementsAndStaysAheadOfCount)
{
    TSIVarList vars;
    for (int i = 0; i < 100; ++i) {
        const char16_t name[] = {u'v', static_cast<char16_t>(u'A' + i % 26), 0};
        vars.Add(SiVarMake(name, i, 0, 0, 0, 0, 0, 0, 0));
    }
    EXPECT_EQ(vars.Capacity, 200);
    EXPECT_GT(vars.Capacity, vars.Count);
    EXPECT_EQ(vars.at(99).Quantity.Value, 99);
    EXPECT_EQ(vars.at(0).Quantity.Value, 0);

    TSINumberList stack;
    for (int i = 0; i < 250; ++i)
        stack.Add(SiSet(i, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(stack.Getitem(249).Value, 249);
    EXPECT_GT(stack.Capacity, stack.Count);
}

TEST(SiLists, AddOrReplaceKeepsThePlaceOfARedefinedName)
{
    TSIUnitList units;
    const int first = units.AddOrReplace(SiVarMake(u"N", 1, 1, 1, -2, 0, 0, 0, 0));
    units.AddOrReplace(SiVarMake(u"km", 1000, 1, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(units.AddOrReplace(SiVarMake(u"N", 2, 1, 1, -2, 0, 0, 0, 0)), first);
    EXPECT_EQ(units.Count, 10);
    EXPECT_EQ(units.at(first).Quantity.Value, 2);
    EXPECT_EQ(units.AddOrReplace(SiVarMake(u"m", 5, 1, 0, 0, 0, 0, 0, 0)), 1);
}

TEST(SiLists, GetitemOutsideTheElementsRaisesWithTheIndex)
{
    TSIVarList vars;
    vars.Add(SiVarMake(u"a", 1, 0, 0, 0, 0, 0, 0, 0));
    for (int index : {1, -1, 7}) {
        try {
            vars.Getitem(index);
            FAIL();
        } catch (const QuorvelError& e) {
            EXPECT_EQ(e.message(), u"Obj not set in ShortStrObjList.Getitem, index " +
                                       std::u16string(index == 1    ? u"1"
                                                      : index == -1 ? u"-1"
                                                                    : u"7"));
        }
    }
    TSINumberList empty;
    EXPECT_THROW(empty.Getitem(0), QuorvelError);
}

TEST(SiLists, SetItemBeyondCountFillsWithEmptyEntries)
{
    TSIVarList vars;
    vars.SetItem(5, SiVarMake(u"x", 3, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(vars.Count, 6);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(vars.at(i).Name.empty());
        EXPECT_EQ(vars.at(i).Quantity.Value, 0);
    }
    TSIVarList empty;
    empty.ClearUsed();
    EXPECT_EQ(empty.Count, 0);
}

TEST(SiLists, LatestEntryWinsAndClearUsedResetsMarks)
{
    TSIVarList vars;
    vars.Add(SiVarMake(u"x", 1, 0, 0, 0, 0, 0, 0, 0));
    vars.Add(SiVarMake(u"x", 2, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(vars.IndexOf(u"x"), 1);
    vars.SetUsed(0);
    vars.ClearUsed();
    EXPECT_FALSE(vars.at(0).Used);

    // Renaming the last "x" leaves the earlier one to be found.
    vars.SetItem(1, SiVarMake(u"y", 2, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(vars.IndexOf(u"x"), 0);
    EXPECT_EQ(vars.IndexOf(u"y"), 1);
    // Clear keeps the old slots; a SetItem past Count brings them back, names included.
    vars.Clear();
    EXPECT_EQ(vars.IndexOf(u"x"), -1);
    vars.SetItem(2, SiVarMake(u"z", 3, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(vars.IndexOf(u"x"), 0);
    EXPECT_EQ(vars.IndexOf(u"y"), 1);
    EXPECT_EQ(vars.IndexOf(u"z"), 2);
}

// The i-th of many distinct names: "v", a letter, and a CJK character.
namespace {
std::u16string ManyNames(int i)
{
    return {u'v', static_cast<char16_t>(u'a' + i % 26), static_cast<char16_t>(0x4E00 + i / 26)};
}
} // namespace

TEST(SiLists, LookupsStayRightInLargeTables)
{
    TSIVarList vars;
    for (int i = 0; i < 5000; ++i)
        vars.AddOrReplace(SiVarSet(ManyNames(i), SiOne));
    EXPECT_EQ(vars.Count, 5000);
    for (int i = 0; i < 5000; i += 7)
        EXPECT_EQ(vars.IndexOf(ManyNames(i)), i);
    EXPECT_EQ(vars.IndexOf(u"v"), -1);
    const TSIVarList copy = vars;
    EXPECT_EQ(copy.IndexOf(u"va\u4E00"), 0);
}

namespace {

// The first entry of x's dimension (of those a formula named, when used), by a walk over the
// entries.
std::int32_t walked(const TSIVarList& list, const TSINumber& x, bool used)
{
    for (std::int32_t i = 0; i < list.Count; ++i) {
        if (SiSameUnit(list.at(i).Quantity, x) && (!used || list.at(i).Used))
            return i;
    }
    return -1;
}

} // namespace

// The unit table keeps an index by dimension, a variable table walks: both find the first entry
// of a dimension, also after entries change their dimension, leave or come back.
TEST(SiLists, FirstEntryOfADimension)
{
    TSIUnitList units;
    TSIVarList vars;
    const TSINumber length = SiSet(1, 1, 0, 0, 0, 0, 0, 0);
    const TSINumber time = SiSet(1, 0, 0, 1, 0, 0, 0, 0);
    const std::array dimensions = {length, time, SiSet(1, 7, 1, 0, 0, 0, 0, 0),
                                   SiSet(1, 0, 9, 0, 0, 0, 0, 0)};
    for (TSIVarList* list : {static_cast<TSIVarList*>(&units), &vars}) {
        for (int i = 0; i < 150; ++i) // past the index's first size
            list->Add(SiVarSet(ManyNames(i), i % 3 == 0 ? length : SiSet(1, i, 1, 0, 0, 0, 0, 0)));
        for (const int named : {141, 30, 7, 13, 6})
            list->SetUsed(list->IndexOf(ManyNames(named)));
        const std::int32_t moved = list->IndexOf(ManyNames(3)); // a length, now a time
        list->SetItem(moved, SiVarSet(ManyNames(3), time));
        list->SetItem(list->IndexOf(ManyNames(6)), SiVarSet(ManyNames(6), length)); // mark gone
        list->RemoveLast();
        for (const TSINumber& x : dimensions) {
            EXPECT_EQ(list->FirstOfDimension(x), walked(*list, x, false));
            EXPECT_EQ(list->FirstUsedOfDimension(x), walked(*list, x, true));
        }
        EXPECT_EQ(list->FirstUsedOfDimension(length), list->IndexOf(ManyNames(30)));
        list->ClearUsed();
        EXPECT_EQ(list->FirstUsedOfDimension(length), -1);
        list->Clear();
        EXPECT_EQ(list->FirstOfDimension(length), -1);
        list->Add(SiVarSet(u"m", length));
        EXPECT_EQ(list->FirstOfDimension(length), 0);
    }
}

// A unit composed of base units writes each base dimension in the first named unit of exactly
// that dimension, else in the first of them all; what the table holds counts as it is now, also
// after a first answer was given.
TEST(SiLists, PreferredUnitsOfTheBaseDimensions)
{
    TSIUnitList units;
    const auto expectWalked = [&units](const char* when) {
        std::array<std::int32_t, BaseUnitCount> entries{};
        units.PreferredBaseEntries(entries);
        for (std::size_t b = 0; b < BaseUnitCount; ++b) {
            TSINumber dimension = SiOne;
            dimension.Exponents[b] = 1;
            const std::int32_t used = walked(units, dimension, true);
            EXPECT_EQ(entries[b], used >= 0 ? used : walked(units, dimension, false))
                << when << ", base unit " << b;
        }
    };
    const std::int32_t km = units.Add(SiVarSet(u"km", SiSet(1000, 1, 0, 0, 0, 0, 0, 0)));
    const std::int32_t h = units.Add(SiVarSet(u"h", SiSet(3600, 0, 0, 1, 0, 0, 0, 0)));
    const std::int32_t newton = units.Add(SiVarSet(u"N", SiSet(1, 1, 1, -2, 0, 0, 0, 0)));
    units.Add(SiVarSet(u"m2", SiSet(1, 2, 0, 0, 0, 0, 0, 0)));
    expectWalked("none named");
    for (const std::int32_t named : {newton, h, km})
        units.SetUsed(named);
    expectWalked("km, h and N named");
    units.ClearUsed();
    expectWalked("marks cleared");
    units.SetItem(units.IndexOf(u"m"), SiVarSet(u"m", SiSet(1, 0, 0, 1, 0, 0, 0, 0)));
    expectWalked("m made a time");
    units.RemoveLast();
    units.Add(SiVarSet(u"mm", SiSet(0.001, 1, 0, 0, 0, 0, 0, 0)));
    units.Add(SiVarSet(u"g", SiSet(0.001, 0, 1, 0, 0, 0, 0, 0)));
    expectWalked("units added");
    units.Clear();
    expectWalked("cleared");
    units.Add(SiVarSet(u"cd", SiSet(1, 0, 0, 0, 0, 0, 0, 1)));
    expectWalked("one added to an empty table");
}
