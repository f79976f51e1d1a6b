#include "engine/nura_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/sjis.h"

namespace nura {
namespace {

std::unique_ptr<THashNode> Command(const std::string& utf8, int id) {
  return std::make_unique<THashNode>(StripOkurigana(SJ(utf8)), true, kWordCommand, id, "",
                                     "", "");
}

TEST(StripOkuriganaTest, DropsHiraganaAfterKanji) {
  EXPECT_EQ(StripOkurigana(SJ("繰り返す")), SJ("繰返"));
  EXPECT_EQ(StripOkurigana(SJ("違えば")), SJ("違"));
  EXPECT_EQ(StripOkurigana(SJ("言う")), SJ("言"));
  EXPECT_EQ(StripOkurigana(SJ("もし")), SJ("もし"));
  EXPECT_EQ(StripOkurigana(SJ("でなければ")), SJ("でなければ"));
  EXPECT_EQ(StripOkurigana(SJ("ひらがな変換")), SJ("ひらがな変換"));
  EXPECT_EQ(StripOkurigana("abc"), "abc");
  // The small letter below "あ" is not hiragana for this rule.
  EXPECT_EQ(StripOkurigana(SJ("言ぁ")), SJ("言ぁ"));
}

TEST(THashTest, ExactAndLooseLookup) {
  THash h;
  EXPECT_EQ(h.Add(Command("繰り返す", 56)), 1);
  EXPECT_NE(h.Find(SJ("繰り返す"), true), nullptr);
  EXPECT_EQ(h.Find(SJ("繰り返す"), false), nullptr);
  EXPECT_EQ(h.Find(SJ("繰返"), false)->id, 56);
  EXPECT_EQ(h.Find("", true), nullptr);
  EXPECT_EQ(h.Add(nullptr), -1);
}

// Loose look-ups are kept per spelling: they must follow every change.
TEST(THashTest, LooseLookupFollowsChanges) {
  THash h;
  EXPECT_EQ(h.Find(SJ("書く"), true), nullptr);
  h.Add(THashNode::CreateVariable(SJ("書く"), false, 0, "exact"));
  EXPECT_EQ(h.Find(SJ("書く"), true)->Value(), "exact");
  // The loose key comes first once it names a word.
  h.Add(THashNode::CreateVariable(SJ("書"), false, 0, "loose"));
  EXPECT_EQ(h.Find(SJ("書く"), true)->Value(), "loose");
  h.Delete(SJ("書"), false);
  EXPECT_EQ(h.Find(SJ("書く"), true)->Value(), "exact");
  h.Clear();
  EXPECT_EQ(h.Find(SJ("書く"), true), nullptr);
  EXPECT_EQ(h.LooseKey(SJ("繰り返す")), SJ("繰返"));
  // A command copied over a variable is a change of shape.
  NodePtr word = h.AddNode(THashNode::CreateVariable("A", false, 0, ""));
  const uint64_t shape = h.ShapeGeneration();
  THashNode command(SJ("言"), true, kWordCommand, 12, "", "", SJ("?と"));
  h.AssignNode(*word, command);
  EXPECT_NE(h.ShapeGeneration(), shape);
  EXPECT_EQ(h.Find("A", true)->kind, kWordCommand);
}

TEST(THashTest, ProtectedWordIsNotReplaced) {
  THash h;
  h.Add(Command("言う", 12));
  EXPECT_THROW(h.Add(Command("言う", 13)), std::runtime_error);
  EXPECT_EQ(h.Count(), 1);
  EXPECT_EQ(h.Find(SJ("言"), false)->id, 12);
}

TEST(THashTest, ReplacementKeepsTheNodeObject) {
  THash h;
  NodePtr first = h.AddNode(THashNode::CreateVariable("A", false, 0, "1"));
  THashNode* raw = first.get();
  h.Add(THashNode::CreateVariable("A", false, 2, "2"));
  EXPECT_EQ(h.Count(), 1);
  EXPECT_EQ(h.Find("A", false), raw);
  EXPECT_EQ(raw->Value(), "2");
  EXPECT_EQ(raw->id, 2);
}

// A hash element written by key: the node found is the one there (left as
// it is); a new one is an empty open variable of the given level that enters
// like any new word, behind the names of its bucket.
TEST(THashTest, FindOrAddVariableFindsOrEntersOneNode) {
  THash h;
  NodePtr first = h.AddNode(THashNode::CreateVariable("k1", false, 0, "1"));
  const uint64_t shape = h.ShapeGeneration();
  EXPECT_EQ(&h.FindOrAddVariable("k1", 5), first.get());
  EXPECT_EQ(first->Value(), "1");
  EXPECT_EQ(first->id, 0);
  EXPECT_EQ(h.ShapeGeneration(), shape);
  h.Add(THashNode::CreateVariable("1k", false, 0, "x"));  // the same byte sum
  THashNode& added = h.FindOrAddVariable("k1\x01", 3);
  THashNode& behind = h.FindOrAddVariable("1\x01k", 4);
  EXPECT_EQ(h.Count(), 4);
  EXPECT_GT(h.ShapeGeneration(), shape);
  EXPECT_EQ(added.kind, kWordVariable);
  EXPECT_FALSE(added.isProtected);
  EXPECT_EQ(added.id, 3);
  EXPECT_TRUE(added.Value().empty() && added.Annotation().empty() && added.Pattern().empty());
  EXPECT_EQ(h.Find("1\x01k", false), &behind);
  EXPECT_EQ(h.GetNamesText(), std::string("k1\r\n1k\r\nk1\x01\r\n1\x01k"));
}

TEST(THashTest, LooseDeleteKeepsProtectedWords) {
  THash h;
  h.Add(Command("言う", 12));
  h.Add(THashNode::CreateVariable(SJ("言う"), false, 0, "x"));
  // The loose key names the protected command: only the variable goes.
  EXPECT_EQ(h.Delete(SJ("言う"), true), 1);
  EXPECT_NE(h.Find(SJ("言"), false), nullptr);
  EXPECT_EQ(h.Delete(SJ("言う"), true), -1);
  // Two unprotected nodes under both forms are removed together.
  h.Add(THashNode::CreateVariable(SJ("書"), false, 0, ""));
  h.Add(THashNode::CreateVariable(SJ("書く"), false, 0, ""));
  EXPECT_EQ(h.Delete(SJ("書く"), true), 1);
}

TEST(THashTest, TextForms) {
  THash h;
  h.LoadFromText(" a =1\r\nb=x=y\r\nc\r\n");
  EXPECT_EQ(h.Count(), 3);
  EXPECT_EQ(h.FindValue("a", false), "1");
  EXPECT_EQ(h.FindValue("b", false), "x=y");
  EXPECT_NE(h.Find("c", false), nullptr);
  // Bucket order: byte sums 97 (a), 98 (b), 99 (c).
  EXPECT_EQ(h.GetNamesText(), "a\r\nb\r\nc");
  EXPECT_EQ(h.GetNameValueText(), "a=1\r\nb=x=y\r\nc=");
}

// The name index beside the buckets changes no order: names come by byte
// sum, each bucket in the order its names arrived; a replaced name keeps
// its place, a deleted and re-entered one goes to its bucket's end.
TEST(THashTest, EnumerationOrderAfterManyInsertions) {
  THash h;
  std::vector<std::pair<int, int>> order;  // (bucket, arrival) per key
  constexpr int kKeys = 10000;
  for (int i = 1; i <= kKeys; ++i) {
    const std::string key = "k" + std::to_string(i);
    h.Add(THashNode::CreateVariable(key, false, 0, std::to_string(i)));
    order.emplace_back(THash::HashOf(key), i);
  }
  h.Add(THashNode::CreateVariable("k5", false, 0, "again"));  // replaced in place
  EXPECT_EQ(h.Delete("k7", false), kKeys - 1);
  h.Add(THashNode::CreateVariable("k7", false, 0, "last"));
  std::stable_sort(order.begin(), order.end());
  std::vector<std::string> expected;
  for (const auto& [bucket, i] : order) {
    if (i != 7) expected.push_back("k" + std::to_string(i));
  }
  // "k7" re-entered goes behind every name of its bucket.
  const int bucket7 = THash::HashOf("k7");
  auto at = expected.begin();
  while (at != expected.end() && THash::HashOf(*at) <= bucket7) ++at;
  expected.insert(at, "k7");
  const std::vector<NodePtr> nodes = h.GetNodes();
  ASSERT_EQ(nodes.size(), expected.size());
  for (size_t i = 0; i < nodes.size(); ++i) ASSERT_EQ(nodes[i]->name, expected[i]) << i;
  EXPECT_EQ(h.FindValue("k5", false), "again");
  EXPECT_EQ(h.FindValue("k7", false), "last");
  EXPECT_EQ(h.FindValue("k10000", false), "10000");
  EXPECT_EQ(h.Find("k10001", false), nullptr);
  h.Clear();
  EXPECT_EQ(h.Find("k1", false), nullptr);
  EXPECT_EQ(h.Count(), 0);
}

// Every field of a node but the name, as plain values.
struct TNodeFields {
  std::string value, annotation, pattern;
  const char* position;
  const THash* hash;
  void* address;
  int kind, id;
  bool isProtected;
  bool operator==(const TNodeFields&) const = default;
};

TNodeFields FieldsOf(const THashNode& node) {
  return {node.Value(),      node.Annotation(), node.Pattern(), node.Position().p, node.Hash().get(),
          node.Address(), node.kind,         node.id,        node.isProtected};
}

// A node keeps its rarely set fields apart and a one-letter annotation in
// place: a word that turns from variable to label, hash or declared command
// and back (by Assign, as a replaced word does, or field by field) shows
// exactly the fields it was given, and copies are deep.
TEST(THashNodeTest, FieldsFollowChangesOfKind) {
  const TextRef text = MakeText("*label\r\n");
  int entry = 0;
  THashNode variable("V", false, kWordVariable, 3, "e", "12", "");
  THashNode label("L", false, kWordLabel, 0, "main.nako", "", SJ("?を"));
  label.SetPosition(TextPos(text, text->c_str() + 6));
  THashNode hash("H", false, kWordHash, 0, SJ("ハッシュ"), SJ("ハッシュ"), "");
  hash.SetHash(std::make_shared<THash>());
  THashNode declared("D", true, kWordDeclared, 1, "\"lib\"f", "", "?,?");
  declared.SetAddress(&entry);
  THashNode plain("P", false, kWordVariable, 0, "", "", "");
  EXPECT_EQ(FieldsOf(plain), (TNodeFields{"", "", "", nullptr, nullptr, nullptr, kWordVariable, 0, false}));
  EXPECT_EQ(FieldsOf(label), (TNodeFields{"", "main.nako", SJ("?を"), text->c_str() + 6, nullptr, nullptr,
                                          kWordLabel, 0, false}));

  THashNode word("W", false, kWordVariable, 0, "", "", "");
  const std::string& pattern = word.Pattern();
  for (const THashNode* source : {&variable, &label, &variable, &hash, &plain, &declared, &label, &hash,
                                  &declared, &variable}) {
    word.Assign(*source);
    EXPECT_EQ(FieldsOf(word), FieldsOf(*source)) << source->name;
    EXPECT_EQ(word.name, "W");
    const THashNode copy(word);
    EXPECT_EQ(FieldsOf(copy), FieldsOf(word)) << source->name;
  }
  EXPECT_TRUE(pattern.empty());
  word.Assign(word);
  EXPECT_EQ(FieldsOf(word), FieldsOf(variable));
  // The table of a hash is shared by a copy of the word and let go with it.
  word.Assign(hash);
  EXPECT_EQ(hash.Hash().use_count(), 2);
  word.Assign(plain);
  EXPECT_EQ(hash.Hash().use_count(), 1);

  // Field by field: clearing a field leaves it as if never set; a copy
  // changed does not change its original.
  THashNode copy(declared);
  copy.SetPattern("");
  copy.SetAddress(nullptr);
  copy.SetAnnotation("s");
  EXPECT_EQ(FieldsOf(copy), (TNodeFields{"", "s", "", nullptr, nullptr, nullptr, kWordDeclared, 1, true}));
  EXPECT_EQ(FieldsOf(declared), (TNodeFields{"", "\"lib\"f", "?,?", nullptr, nullptr, &entry, kWordDeclared, 1,
                                             true}));
  // Annotations of any length and byte, the mark and NUL included.
  for (const std::string& annotation :
       {std::string("e"), std::string("hs"), std::string(1, '\xff'), std::string(1, '\0'), std::string(),
        std::string("s"), SJ("説明の長い注釈"), std::string("e")}) {
    copy.SetAnnotation(annotation);
    EXPECT_EQ(copy.Annotation(), annotation);
    plain.Assign(copy);
    EXPECT_EQ(plain.Annotation(), annotation);
  }
}

// A whole number written to a word waits as its number: every way of
// reading, changing or copying the value sees its digits, and a text
// written afterwards replaces it.
TEST(THashNodeTest, WholeNumbersWaitForTheirText) {
  for (const int64_t whole : {int64_t{0}, int64_t{-1}, int64_t{9}, int64_t{10}, int64_t{99999999},
                              int64_t{100000000}, int64_t{-999999999999999}, int64_t{9999999999999999}}) {
    THashNode node;
    node.SetValue("a long text that the number replaces");
    node.SetWhole(whole);
    int64_t read = 0;
    ASSERT_TRUE(node.ReadWhole(read)) << whole;
    EXPECT_EQ(read, whole);
    EXPECT_EQ(node.Value(), std::to_string(whole));
    ASSERT_TRUE(node.ReadWhole(read)) << whole;
    EXPECT_EQ(read, whole);
  }
  THashNode counter;
  for (int64_t i = 1; i <= 25; ++i) counter.SetWhole(i);  // counting up while nothing reads it
  EXPECT_EQ(counter.Value(), "25");
  counter.SetWhole(26);  // counting up in place
  EXPECT_EQ(counter.Value(), "26");

  THashNode node;
  node.SetWhole(123);
  node.SetValue("abc");
  int64_t read = 0;
  EXPECT_EQ(node.Value(), "abc");
  EXPECT_FALSE(node.ReadWhole(read));
  node.SetWhole(124);
  node.ValueToReplace() = "x";
  EXPECT_EQ(node.Value(), "x");
  EXPECT_FALSE(node.ReadWhole(read));
  node.SetWhole(5);
  node.MutableValue() += "a";
  EXPECT_EQ(node.Value(), "5a");
  EXPECT_FALSE(node.ReadWhole(read));

  THashNode source;
  source.SetWhole(777);
  const THashNode copy(source);
  EXPECT_EQ(copy.Value(), "777");
  THashNode target;
  target.SetWhole(1);
  source.SetWhole(-42);
  target.Assign(source);
  EXPECT_EQ(target.Value(), "-42");
  ASSERT_TRUE(target.ReadWhole(read));
  EXPECT_EQ(read, -42);
  // A kept number handed on with its text counts for that text only.
  source.SetWhole(31);
  THashNode result;
  result.SetValue(source.Value());
  result.KeepNumber(source.KeptNumber());
  ASSERT_TRUE(result.ReadWhole(read));
  EXPECT_EQ(read, 31);
  result.SetValue("3x");
  result.KeepNumber(source.KeptNumber());
  EXPECT_FALSE(result.ReadWhole(read));
}

TEST(TStackTest, EmptyAndOrder) {
  TStack s;
  EXPECT_EQ(s.Pop(), "");
  EXPECT_EQ(s.Shift(), "");
  s.Push("a");
  s.Push("b");
  s.Push("c");
  EXPECT_EQ(s.GetItem(0), "a");
  EXPECT_EQ(s.GetItem(3), "");
  EXPECT_EQ(s.Shift(), "a");
  EXPECT_EQ(s.Pop(), "c");
  EXPECT_EQ(s.Count(), 1);
}

TEST(TRunControlStackTest, NestedLevels) {
  TRunControlStack r;
  TRunControl f;
  f.kind = kRunCounted;
  r.Push(f);
  r.EndNested();  // nothing saved: unchanged
  EXPECT_EQ(r.Count(), 1);
  r.BeginNested();
  EXPECT_EQ(r.Count(), 0);
  f.kind = kRunCall;
  r.Push(f);
  r.Push(f);
  r.EndNested();
  EXPECT_EQ(r.Count(), 1);
  TRunControl out;
  ASSERT_TRUE(r.Pop(out));
  EXPECT_EQ(out.kind, kRunCounted);
  EXPECT_FALSE(r.Pop(out));
  r.BeginNested();
  r.Push(f);
  r.ClearAll();
  EXPECT_EQ(r.Count(), 0);
  EXPECT_EQ(r.NestedLevels(), 0);
}

TEST(TRunControlStackTest, CopiesShareTextsAndItems) {
  TRunControlStack r;
  TRunControl f;
  f.kind = kRunItems;
  f.block = MakeText("abc");
  f.items = std::make_shared<const std::vector<std::string>>(std::vector<std::string>{"1", "2"});
  f.endPos = TextPos::StartOf(f.block);
  r.Push(f);
  f = TRunControl();
  TRunControl copy;
  ASSERT_TRUE(r.Peek(0, copy));
  ASSERT_TRUE(r.Pop(f));
  r.Clear();
  // Both copies still own the text and the items.
  EXPECT_STREQ(copy.endPos.p, "abc");
  EXPECT_EQ(f.items->size(), 2u);
  EXPECT_EQ(copy.items.get(), f.items.get());
}

TEST(TObjListTest, FindAndRange) {
  TObjList l;
  l.Add(std::make_unique<TObjNode>("a", nullptr, 0, TObjectKind::Edit));
  l.Add(std::make_unique<TObjNode>("b", nullptr, 1, TObjectKind::Image));
  EXPECT_EQ(l.IndexOfName("b"), 1);
  EXPECT_EQ(l.FindByName("c"), nullptr);
  EXPECT_EQ(l.GetItem(2), nullptr);
  l.SetItem(5, nullptr);
  EXPECT_EQ(l.Count(), 2);
}

}  // namespace
}  // namespace nura
