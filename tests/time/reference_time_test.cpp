// Reference clocks through LyReferenceTime.

#include <gtest/gtest.h>

#include <string>

#include <lysdk/lyreferencetime.h>

using namespace VELSDK2025;

TEST(ReferenceTime, ClocksKeepTheirOffsetToSystemTime) {
    LyReferenceTime references;
    const int deck = references.Add("Deck");
    const int genlock = references.Add("Genlock");
    EXPECT_NE(deck, 0);
    EXPECT_NE(deck, genlock);

    references.SetTime(deck, LyTime(5000), LyTime(1000));  // 4000 ahead of system time
    EXPECT_EQ(references.GetTime(deck, LyTime(2000)).Get(), 6000);
    EXPECT_EQ(references.GetTime(genlock, LyTime(2000)).Get(), 2000);  // no offset yet
    EXPECT_EQ(references.GetTime(-7, LyTime(2000)).Get(), 2000);       // unknown: system time

    LyArrayTemplate<int> ids;
    references.GetUniqueIDList(&ids);
    references.GetUniqueIDList(&ids);  // appended, not replaced
    int deckSeen = 0;
    for (int i = 0; i < ids.GetCount(); ++i) deckSeen += ids[i] == deck;
    EXPECT_EQ(deckSeen, 2);

    bool found = false;
    for (int i = 0; references[i]; ++i) found |= std::string(references[i]) == "Genlock";
    EXPECT_TRUE(found);
    EXPECT_EQ(references.GetReferenceTimeName(-1), nullptr);

    references.CurrentTimeReferenceID = deck;
    EXPECT_EQ(static_cast<int>(references.CurrentTimeReferenceID), deck);
    references.CurrentTimeReferenceID = 987654;  // no such clock: unchanged
    EXPECT_EQ(static_cast<int>(references.CurrentTimeReferenceID), deck);
    references.UseRelativeLocalTime = true;
    EXPECT_TRUE(static_cast<bool>(references.UseRelativeLocalTime));
    references.UseRelativeLocalTime = false;

    references.Remove(deck);
    EXPECT_EQ(static_cast<int>(references.CurrentTimeReferenceID), 0);  // the current one went
    references.Remove(genlock);
}
