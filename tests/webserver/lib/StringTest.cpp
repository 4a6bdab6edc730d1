// Tests of CString: empty texts, formatting of long texts, byte-for-byte
// conversion between 8-bit and wide text, and writable buffers.
#include "lib/CString.h"

#include <gtest/gtest.h>

#include <string>

TEST(StringWithoutText, ReadsAsEmptyAppendsAsNothingAndCopiesAsEmpty) {
  CString empty;
  EXPECT_STREQ(empty.GetText(), L"");
  EXPECT_EQ(empty.GetLength(), 0);

  CString text(L"abc");
  text.Append(empty);
  EXPECT_STREQ(text.GetText(), L"abc");

  CString copy(empty);
  EXPECT_STREQ(copy.GetText(), L"");
  CString both;
  both.Append(empty);
  EXPECT_STREQ(both.GetText(), L"");
}

TEST(StringAppend, ReturnsTheNewBlockHoldingBothTexts) {
  CString text(L"Listen");
  wchar_t* p = text.Append(CString(L"ing..."));
  EXPECT_EQ(text.GetText(), p);
  EXPECT_STREQ(text.GetText(), L"Listening...");
}

TEST(StringCopies, OwnBlocksOfTheirOwn) {
  CString a(L"first");
  CString b(a);
  CString c;
  c = a;
  a.Append(CString(L" changed"));
  EXPECT_STREQ(b.GetText(), L"first");
  EXPECT_STREQ(c.GetText(), L"first");
  EXPECT_NE(a.GetText(), b.GetText());
  c = c;
  EXPECT_STREQ(c.GetText(), L"first");
}

TEST(StringFormat, KeepsTextsLongerThanTheFirstCapacityWhole) {
  std::wstring name(3000, L'x');
  name[2999] = L'y';
  CString page;
  int n = page.Format(L"<p>%s</p>", name.c_str());
  EXPECT_EQ(n, 3007);
  EXPECT_EQ(std::wstring(page.GetText()), L"<p>" + name + L"</p>");
}

TEST(StringFormat, KeepsTheLastCharacterOfTextsThatFillACapacityExactly) {
  for (int length : {2046, 2047, 2048, 2049, 4095, 4096}) {
    std::wstring text(length - 1, L'a');
    CString s;
    EXPECT_EQ(s.Format(L"%sZ", text.c_str()), length) << length;
    EXPECT_EQ(std::wstring(s.GetText()), text + L"Z") << length;
  }
}

TEST(StringFormat, FollowsThePlatformWideConventions) {
  CString s;
  s.Format(L"%s|%S|%d", L"wide", "narrow", -42);
  EXPECT_STREQ(s.GetText(), L"wide|narrow|-42");
}

TEST(StringFormat, AcceptsItsOwnTextAsAValue) {
  CString s(L"web");
  s.Format(L"%s-%s", s.GetText(), s.GetText());
  EXPECT_STREQ(s.GetText(), L"web-web");
}

TEST(StringFormat, ProducingNoCharactersGivesTheEmptyText) {
  CString s(L"old");
  EXPECT_EQ(s.Format(L"%s", L""), 0);
  EXPECT_STREQ(s.GetText(), L"");
}

TEST(StringBytes, AllHighBytesSurviveWideningAndNarrowing) {
  std::string bytes;
  for (int b = 1; b <= 0xFF; ++b) bytes += static_cast<char>(b);
  CString wide(bytes.c_str());
  ASSERT_EQ(wide.GetLength(), 255);
  for (int i = 0; i < 255; ++i) EXPECT_EQ(wide.GetText()[i], i + 1) << i;
  char* narrow = wide.ToNarrow();
  EXPECT_EQ(std::string(narrow), bytes);
  delete[] narrow;
}

TEST(StringBytes, EightBitFormatValuesAreWidenedByteForByte) {
  CString s;
  s.Format(L"%S", "caf\xE9");
  EXPECT_STREQ(s.GetText(), L"caf\u00E9");
}

TEST(StringBytes, CharactersBeyondEightBitsNarrowToQuestionMarksAndTheTextEnds) {
  CString s(L"a\u0100b\u20ACc");
  char* narrow = s.ToNarrow();
  EXPECT_STREQ(narrow, "a?b?c");
  delete[] narrow;
}

TEST(StringBuffer, OnAnEmptyStringIsZeroedThroughout) {
  CString s;
  wchar_t* p = s.GetBuffer(10);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(p[i], L'\0') << i;
  EXPECT_EQ(s.GetText(), p);
}

TEST(StringBuffer, KeepsTheTextThatFitsAndZeroesTheRest) {
  CString shorter(L"abc");
  wchar_t* p = shorter.GetBuffer(6);
  EXPECT_EQ(std::wstring(p, 8).compare(std::wstring(L"abc\0\0\0\0\0", 8)), 0);

  CString longer(L"abcdefgh");
  p = longer.GetBuffer(4);
  EXPECT_STREQ(p, L"abcd");
  EXPECT_EQ(p[5], L'\0');
}
