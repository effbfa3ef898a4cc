// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/quorvel_error.h"
#include "engine/base/text_helpers.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(TextHelpers, TrimAndFriends)
{
    EXPECT_EQ(Trim(u" \t a b \r\n"), u"a b");
    EXPECT_EQ(Trim(u"   "), u"");
    EXPECT_EQ(UpperAscii(u'v'), u'V');
    EXPECT_EQ(UpperAscii(u'\u00E4'), u'\u00E4');
    EXPECT_EQ(CharPos(u':', u"ab:c:"), 3);
    EXPECT_EQ(CharPos(u':', u"abc"), 0);
    EXPECT_TRUE(ContainsAnyOf(u"+-", u"a-b"));
    EXPECT_FALSE(ContainsAnyOf(u"+-", u"ab"));
    EXPECT_EQ(RemoveChar(u" a\tb c ", u' '), u"a\tbc");
}

TEST(TextHelpers, TokenizerSkipsRunsOfDelimiters)
{
    tokenObj tokens(u"==a==b=");
    EXPECT_FALSE(tokens.AtEnd());
    EXPECT_EQ(tokens.FetchToken(u"="), u"a");
    EXPECT_EQ(tokens.FetchToken(u"="), u"b");
    EXPECT_TRUE(tokens.AtEnd());
    EXPECT_EQ(tokens.FetchToken(u"="), u"");

    tokenObj trailing(u"a==");
    EXPECT_EQ(trailing.FetchToken(u"="), u"a");
    EXPECT_FALSE(trailing.AtEnd());
    EXPECT_EQ(trailing.FetchToken(u"="), u"");
    EXPECT_TRUE(trailing.AtEnd());

    tokenObj empty(u"");
    EXPECT_TRUE(empty.AtEnd());
}

TEST(TextHelpers, SplitLineCountsNonEmptyTrimmedParts)
{
    TStrArray parts(50);
    EXPECT_EQ(SplitLine(u" a = b = ", u"=", parts), 2);
    EXPECT_EQ(parts.getitem(0), u"a");
    EXPECT_EQ(parts.getitem(1), u"b");
    EXPECT_EQ(parts.getitem(2), u"");
    EXPECT_EQ(parts.count(), 20);
    EXPECT_EQ(SplitLine(u"==", u"=", parts), 0);
    EXPECT_EQ(parts.getitem(0), u"");
    // Slots up to 19 are emptied; those beyond keep what a longer line left there.
    EXPECT_EQ(SplitLine(u"a=b=c=d=e=f=g=h=i=j=k=l=m=n=o=p=q=r=s=t=u=v=w", u"=", parts), 23);
    EXPECT_EQ(SplitLine(u"x=y", u"=", parts), 2);
    EXPECT_EQ(parts.getitem(5), u"");
    EXPECT_EQ(parts.getitem(22), u"w");
    EXPECT_EQ(parts.count(), 23);

    std::u16string many;
    for (int i = 0; i < 51; ++i)
        many += u"x=";
    try {
        SplitLine(many, u"=", parts);
        FAIL();
    } catch (const QuorvelError& e) {
        EXPECT_EQ(e.message(), u"Arraygrenzen \u00FCberschritten in strarray.setitem");
    }
    TStrArray fresh(50);
    EXPECT_THROW(fresh.getitem(0), QuorvelError);
}
