// Reading a text file line by line: line ends, the last line, long lines,
// zero bytes, UTF-8 text, and files that cannot be opened.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "framework/CLineReader.h"

namespace {
using Lines = std::vector<std::wstring>;

// The lines of a file holding these bytes.
Lines ReadAll(const std::string& bytes) {
  wchar_t dir[MAX_PATH], name[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"lrt", 0, name);
  HANDLE h = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD put = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
  Lines lines;
  CLineReader reader;
  EXPECT_TRUE(reader.Open(name));
  std::wstring line;
  while (reader.ReadLine(&line)) lines.push_back(line);
  reader.Close();
  DeleteFileW(name);
  return lines;
}

// Bytes of the system code page as the text they stand for.
std::wstring FromCodePage(const std::string& bytes) {
  wchar_t buf[256] = {};
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), buf, 255);
  return buf;
}
}  // namespace

// ASCII bytes as the same text.
std::wstring W(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

TEST(LineReader, LinesEndAtLineFeedOrCarriageReturnLineFeedAndTheLastNeedsNone) {
  EXPECT_EQ(ReadAll("a\r\nb\nc"), (Lines{L"a", L"b", L"c"}));
  EXPECT_EQ(ReadAll("a\n\nb\n"), (Lines{L"a", L"", L"b"}));
  EXPECT_EQ(ReadAll("a\rb\r\r\n"), (Lines{L"a\rb\r"}));
  EXPECT_EQ(ReadAll(""), Lines{});
  EXPECT_EQ(ReadAll("\n"), (Lines{L""}));
}

TEST(LineReader, LinesOfAnyLengthCrossTheBuffer) {
  const std::string big(300000, 'x');
  EXPECT_EQ(ReadAll(big + "\r\n" + big), (Lines{W(big), W(big)}));
  // A CR LF split across two reads of the buffer still ends the line.
  const std::string edge(65535, 'y');
  EXPECT_EQ(ReadAll(edge + "\r\nz"), (Lines{W(edge), L"z"}));
}

TEST(LineReader, AZeroByteEndsTheLinesTextAndTheNextLineStillComes) {
  std::string bytes = "ab";
  bytes += '\0';
  bytes += "cd\nef";
  EXPECT_EQ(ReadAll(bytes), (Lines{L"ab", L"ef"}));
}

TEST(LineReader, AMissingFileDoesNotOpenAndReadsNothing) {
  CLineReader reader;
  EXPECT_FALSE(reader.Open(L"C:\\no\\such\\file.txt"));
  std::wstring line = L"kept?";
  EXPECT_FALSE(reader.ReadLine(&line));
}

TEST(LineReader, UTF8WithAMarkOrValidThroughoutIsDecodedAndAnyOtherFileIsTheSystemCodePage) {
  const std::string utf8 = "Configura\xC3\xA7\xC3\xA3o";
  const Lines expected = {L"Configura\u00E7\u00E3o", L"Plant"};
  EXPECT_EQ(ReadAll("\xEF\xBB\xBF" + utf8 + "\r\nPlant"), expected);
  EXPECT_EQ(ReadAll(utf8 + "\nPlant\n"), expected);
  EXPECT_EQ(ReadAll("\xEF\xBB\xBFPlant"), (Lines{L"Plant"}));
  // Characters outside the system code page stay, one outside the BMP too.
  EXPECT_EQ(ReadAll("\xE2\x9C\x93 \xF0\x9F\x8C\xB3"), (Lines{L"\u2713 \U0001F333"}));
  // Not UTF-8 throughout (a Latin-1 byte further on), or ASCII only: the code page.
  const std::string mixed = utf8 + "\n" + std::string(70000, 'a') + "\xE7\n";
  EXPECT_EQ(ReadAll(mixed),
            (Lines{FromCodePage(utf8), W(std::string(70000, 'a')) + FromCodePage("\xE7")}));
  // What is not UTF-8: overlong forms, surrogates, past U+10FFFF, a sequence cut short.
  for (const char* bytes : {"\xC0\xAF overlong", "\xE0\x80\xAF overlong", "\xED\xA0\x80 surrogate",
                            "\xF4\x90\x80\x80 past", "cut \xC3"})
    EXPECT_EQ(ReadAll(bytes), (Lines{FromCodePage(bytes)})) << bytes;
  // A sequence across two reads of the file is whole.
  const std::string across = std::string(65535, 'a') + "\xC3\xA7";
  EXPECT_EQ(ReadAll(across), (Lines{W(std::string(65535, 'a')) + L"\u00E7"}));
}

namespace {
// Text as UTF-16 bytes, little- or big-endian, after the mark.
std::string Utf16(const std::wstring& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    bytes += bigEndian ? hi : lo;
    bytes += bigEndian ? lo : hi;
  }
  return bytes;
}
}  // namespace

TEST(LineReader, UTF16WithAMarkIsReadInEitherByteOrder) {
  // U+0A0D and U+010A hold a line-feed byte that is no line feed.
  const std::wstring text = L"\u0413\u0440\u0430\u0434|\U0001F333\r\n\u0A0D\u010A\n\u8868\u793A";
  const Lines expected = {L"\u0413\u0440\u0430\u0434|\U0001F333", L"\u0A0D\u010A", L"\u8868\u793A"};
  EXPECT_EQ(ReadAll(Utf16(text, false)), expected);
  EXPECT_EQ(ReadAll(Utf16(text, true)), expected);
  // Lines across the buffer's end.
  const std::wstring big(40000, L'\u0436');
  EXPECT_EQ(ReadAll(Utf16(big + L"\r\n" + big, false)), (Lines{big, big}));
}
