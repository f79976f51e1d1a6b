#include "support/key_string.h"

#include <gtest/gtest.h>

#include "platform/sjis.h"

namespace nura {
namespace {

using E = TKeyEvent;
constexpr E P(uint8_t vk) { return {E::Press, vk}; }
constexpr E R(uint8_t vk) { return {E::Release, vk}; }

TEST(KeyString, BracedKeysWithCountsAndCase) {
  EXPECT_EQ(ParseKeyString("{TAB 3}"), (std::vector<E>{P(9), R(9), P(9), R(9), P(9), R(9)}));
  EXPECT_EQ(ParseKeyString("{tab 3}"), ParseKeyString("{TAB 3}"));
  EXPECT_EQ(ParseKeyString("{F12}"), (std::vector<E>{P(0x7B), R(0x7B)}));
  EXPECT_EQ(ParseKeyString("{}}"), (std::vector<E>{P(kVkShift), P(0xDD), R(0xDD), R(kVkShift)}));
  EXPECT_EQ(ParseKeyString("{a 2}"), (std::vector<E>{P('A'), R('A'), P('A'), R('A')}));
  EXPECT_EQ(ParseKeyString("{TAB x}"), std::vector<E>{});  // a count that is none
  EXPECT_EQ(ParseKeyString("{TAB"), std::vector<E>{});     // no closing brace
  EXPECT_EQ(ParseKeyString("{NOSUCH}a"), (std::vector<E>{P('A'), R('A')}));
}

TEST(KeyString, ModifiersGroupsAndEnter) {
  EXPECT_EQ(ParseKeyString("+(ab)"), (std::vector<E>{P(kVkShift), P('A'), R('A'), P('B'), R('B'), R(kVkShift)}));
  EXPECT_EQ(ParseKeyString("^c"), (std::vector<E>{P(kVkControl), P('C'), R('C'), R(kVkControl)}));
  EXPECT_EQ(ParseKeyString("%"), (std::vector<E>{P(kVkMenu), R(kVkMenu)}));
  EXPECT_EQ(ParseKeyString("~"), (std::vector<E>{P(0x0D), R(0x0D)}));
  EXPECT_EQ(ParseKeyString("A!"), (std::vector<E>{P(kVkShift), P('A'), R('A'), R(kVkShift), P(kVkShift),
                                                   P('1'), R('1'), R(kVkShift)}));
}

TEST(KeyString, TwoByteCharacterIsTwoCharacterMessages) {
  const std::string a = SJ("あ");
  EXPECT_EQ(ParseKeyString(a), (std::vector<E>{{E::Char, static_cast<uint8_t>(a[0])},
                                                {E::Char, static_cast<uint8_t>(a[1])}}));
  int n = 0;
  SendKeyString("ab", [&](const E&) { ++n; });
  EXPECT_EQ(n, 4);
}

}  // namespace
}  // namespace nura
