// The field splitter shared by node paths and configuration records.
#include <gtest/gtest.h>
#include "tree/QorTreeCtrl.h"

namespace {
struct SplitCase {
  const wchar_t* text;
  const wchar_t* separators;
  std::vector<std::wstring> fields;
};

std::vector<std::wstring> Split(const std::wstring& text, const std::wstring& seps) {
  std::vector<std::wstring> fields = {L"stale"};
  EXPECT_TRUE(QorTreeCtrl::SplitFields(text, &fields, seps)) << text;
  return fields;
}
}  // namespace

TEST(SplitFields, SplitsAtEverySeparatorAndKeepsEmptyFields) {
  const SplitCase cases[] = {
      {L"a|b|c", L"|", {L"a", L"b", L"c"}},
      {L"a||c", L"|", {L"a", L"", L"c"}},
      {L"a|", L"|", {L"a", L""}},
      {L"|a", L"|", {L"", L"a"}},
      {L"", L"|", {L""}},
      {L"abc", L"|", {L"abc"}},
      {L"a\\b|c", L"|\\", {L"a", L"b", L"c"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text, c.separators), c.fields) << c.text;
}

TEST(SplitFields, QuotesProtectSeparatorsAndAreRemovedWhenTheyEncloseTheField) {
  const SplitCase cases[] = {
      {L"\"a|b\"|c", L"|", {L"a|b", L"c"}},
      {L"\"a\"  |b", L"|", {L"a", L"b"}},            // trailing blanks go with the quotes
      {L" \"a\"|b", L"|", {L" \"a\"", L"b"}},        // a blank before the quote keeps both
      {L"x\"a|b\"y|z", L"|", {L"x\"a|b\"y", L"z"}},  // quotes inside a field protect too
      {L"\"\"", L"|", {L""}},
      {L"\"", L"|", {L"\""}},
      {L"\"a\\b\"\\c", L"\\", {L"a\\b", L"c"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text, c.separators), c.fields) << c.text;
}

TEST(SplitFields, DoubledQuotesBecomeOneInQuotedAndUnquotedFields) {
  const SplitCase cases[] = {
      {L"a\"\"b|c", L"|", {L"a\"b", L"c"}},
      {L"\"c\"\"d\"|e", L"|", {L"c\"d", L"e"}},
      {L"\"\"\"\"", L"|", {L"\""}},
      {L"a\"\"\"\"b", L"|", {L"a\"\"b"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text, c.separators), c.fields) << c.text;
}

TEST(SplitFields, AnUnclosedQuoteProtectsNothingAndBlanksStay) {
  const SplitCase cases[] = {
      {L"\"a|b", L"|", {L"\"a", L"b"}},
      {L"a|\"b|c", L"|", {L"a", L"\"b", L"c"}},
      {L" a | b ", L"|", {L" a ", L" b "}},
      {L"a\"|\"b", L"|", {L"a\"|\"b"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text, c.separators), c.fields) << c.text;
}

// A megabyte of quoted stretches before the only separator: a splitter that
// searched the rest of the line again for every stretch would not finish
// within the test's time-out.
TEST(SplitFields, AVeryLongRunOfQuotedStretchesSplitsOnceAtTheFarSeparator) {
  const int kStretches = 350000;
  std::wstring text;
  for (int i = 0; i < kStretches; ++i) text += L"\"x\"";
  text += L"|tail";
  std::wstring first = L"x";
  for (int i = 1; i < kStretches; ++i) first += L"\"x";
  EXPECT_EQ(Split(text, L"|"), (std::vector<std::wstring>{first, L"tail"}));
}
