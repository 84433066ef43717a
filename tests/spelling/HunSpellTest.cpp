#include <gtest/gtest.h>

#include "spelling/RVHunSpell.h"

TEST(HunSpell, ShortWordsWithoutDictionaries) {
  TRVHunSpell speller(nullptr);
  EXPECT_TRUE(speller.Spell(u"a"));
  EXPECT_FALSE(speller.Spell(u"ab"));
}
