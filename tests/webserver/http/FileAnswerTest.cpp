// Table tests of a file answer's pure rules: media types, HTTP dates, the
// Range field, what an answer then is and its head lines, a folder's
// redirect; and the small-file cache's checks and bound.
#include "http/CFileCache.h"
#include "http/FileAnswer.h"
#include "http/HttpDate.h"
#include "http/HttpRange.h"
#include "http/MediaTypes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// 1994-11-06 08:49:37 UTC as a file time.
const uint64_t kSample = 12428585377ULL * kFileTimeTicksPerSecond;

TEST(MediaType, ComesFromTheLastExtensionOfTheLastSegmentInAnyCase) {
  struct {
    const wchar_t* name;
    const char* type;
  } cases[] = {
      {L"C:\\site\\index.html", "text/html"},
      {L"a\\PIC.SVG", "image/svg+xml"},
      {L"app.mjs", "text/javascript"},
      {L"app.js", "text/javascript"},
      {L"x.tar.zip", "application/zip"},
      {L"font.woff2", "font/woff2"},
      {L"clip.webm", "video/webm"},
      {L"data.bin", nullptr},
      {L"README", nullptr},
      {L"dir.html\\file", nullptr},
      {L"trailing.", nullptr},
      {L".svg", "image/svg+xml"},
      {L"k.\u212Aml", nullptr},  // a Kelvin sign is no 'k'
  };
  for (const auto& c : cases) {
    const char* got = MediaTypeOf(c.name);
    EXPECT_STREQ(got, c.type) << c.name;
  }
}

TEST(HttpDate, IsWrittenInTheFixedFormAndReadInAllThree) {
  EXPECT_EQ(FormatHttpDate(kSample + 9999999), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(FormatHttpDate(0), "Mon, 01 Jan 1601 00:00:00 GMT");
  EXPECT_EQ(FormatHttpDate(13353641600ULL * kFileTimeTicksPerSecond),
            "Thu, 29 Feb 2024 00:53:20 GMT");
  struct {
    const char* text;
    bool ok;
    uint64_t time;
  } cases[] = {
      {"Sun, 06 Nov 1994 08:49:37 GMT", true, kSample},
      {" \tSun, 06 Nov 1994 08:49:37 GMT ", true, kSample},
      {"Sunday, 06-Nov-94 08:49:37 GMT", true, kSample},
      {"Sun Nov  6 08:49:37 1994", true, kSample},
      {"Sun Nov 06 08:49:37 1994", true, kSample},
      {"Thu, 29 Feb 2024 00:53:20 GMT", true, 13353641600ULL * kFileTimeTicksPerSecond},
      {"Fri, 29 Feb 2023 00:00:00 GMT", false, 0},
      {"Sun, 06 Nov 1994 24:00:00 GMT", false, 0},
      {"Sun, 6 Nov 1994 08:49:37 GMT", false, 0},
      {"sun, 06 nov 1994 08:49:37 gmt", false, 0},
      {"Sun, 06 Nov 1994 08:49:37 GMT, Sun, 06 Nov 1994 08:49:37 GMT", false, 0},
      {"Sun, 06 Nov 1600 08:49:37 GMT", false, 0},
      {"Sun, 06 Nov 1994 08:49:37", false, 0},
      {"", false, 0},
  };
  for (const auto& c : cases) {
    uint64_t time = 0;
    EXPECT_EQ(ParseHttpDate(c.text, &time), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(time, c.time) << c.text;
    }
  }
}

TEST(Range, IsOneSatisfiableRangeOrTheWholeFileOrUnsatisfiable) {
  const uint64_t kBig = 5ULL << 30;
  struct {
    const char* value;
    uint64_t size;
    RangeAsked asked;
    uint64_t first, last;
  } cases[] = {
      {"bytes=0-0", 100, kRangePart, 0, 0},
      {"bytes=10-19", 100, kRangePart, 10, 19},
      {"bytes=90-", 100, kRangePart, 90, 99},
      {"bytes=-10", 100, kRangePart, 90, 99},
      {"bytes=-1000", 100, kRangePart, 0, 99},
      {"bytes=50-1000", 100, kRangePart, 50, 99},
      {"BYTES = 1 - 2 ", 100, kRangePart, 1, 2},
      {"bytes=5368709110-", kBig, kRangePart, kBig - 10, kBig - 1},
      {"bytes=0-99999999999999999999999", 100, kRangePart, 0, 99},
      {"bytes=100-", 100, kRangeUnsatisfiable, 0, 0},
      {"bytes=99999999999999999999999-", 100, kRangeUnsatisfiable, 0, 0},
      {"bytes=-0", 100, kRangeUnsatisfiable, 0, 0},
      {"bytes=-5", 0, kRangeUnsatisfiable, 0, 0},
      {"bytes=0-", 0, kRangeUnsatisfiable, 0, 0},
      {"bytes=0-1,5-6", 100, kRangeWhole, 0, 0},
      {"bytes=0-1, bytes=5-6", 100, kRangeWhole, 0, 0},
      {"bytes=5-1", 100, kRangeWhole, 0, 0},
      {"bytes=-", 100, kRangeWhole, 0, 0},
      {"bytes=1-2x", 100, kRangeWhole, 0, 0},
      {"items=0-1", 100, kRangeWhole, 0, 0},
      {"bytes 0-1", 100, kRangeWhole, 0, 0},
      {"bytes=+1-2", 100, kRangeWhole, 0, 0},
      {"", 100, kRangeWhole, 0, 0},
  };
  for (const auto& c : cases) {
    uint64_t first = 0, last = 0;
    EXPECT_EQ(ParseRange(c.value, c.size, &first, &last), c.asked) << c.value;
    if (c.asked == kRangePart) {
      EXPECT_EQ(first, c.first) << c.value;
      EXPECT_EQ(last, c.last) << c.value;
    }
  }
}

TEST(FileAnswerPlan, HonoursConditionsThenTheRange) {
  const uint64_t modified = kSample + 5000000;  // half a second into the sample second
  const uint64_t now = kSample + 3600 * kFileTimeTicksPerSecond;
  // The file's time and size in hex; the same file one tick later.
  const std::string tag = "\"1b98d5354dd71c0-3e8\"", old = "\"1b98d5354dd71bf-3e8\"";
  const std::string date = "Sun, 06 Nov 1994 08:49:37 GMT";
  ASSERT_EQ(EntityTag(1000, modified), tag);
  ASSERT_EQ(EntityTag(1000, modified - 1), old);
  ASSERT_EQ(EntityTag(1001, modified), "\"1b98d5354dd71c0-3e9\"");
  struct {
    std::string head;
    bool get;
    FileAnswerKind kind;
    uint64_t first, length;
  } cases[] = {
      {"GET / HTTP/1.1\r\n\r\n", true, kAnswerWhole, 0, 1000},
      {"GET / HTTP/1.1\r\nIf-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\n\r\n", true,
       kAnswerNotModified, 0, 0},
      {"HEAD / HTTP/1.1\nif-modified-since:Sun, 06 Nov 1994 09:00:00 GMT\n\n", false,
       kAnswerNotModified, 0, 0},
      {"GET / HTTP/1.1\r\nIf-Modified-Since: Sun, 06 Nov 1994 08:49:36 GMT\r\n\r\n", true,
       kAnswerWhole, 0, 1000},
      // Later than now, or not a date: no validator.
      {"GET / HTTP/1.1\r\nIf-Modified-Since: Sun, 06 Nov 1994 10:00:00 GMT\r\n\r\n", true,
       kAnswerWhole, 0, 1000},
      {"GET / HTTP/1.1\r\nIf-Modified-Since: yesterday\r\n\r\n", true, kAnswerWhole, 0, 1000},
      {"GET / HTTP/1.1\r\nRange: bytes=10-19\r\n\r\n", true, kAnswerPart, 10, 10},
      {"HEAD / HTTP/1.1\r\nRange: bytes=10-19\r\n\r\n", false, kAnswerWhole, 0, 1000},
      {"GET / HTTP/1.1\r\nRange: bytes=1000-\r\n\r\n", true, kAnswerUnsatisfiable, 0, 0},
      {"GET / HTTP/1.1\r\nRange: bytes=0-1\r\nRange: bytes=5-6\r\n\r\n", true, kAnswerWhole, 0,
       1000},
      {"GET / HTTP/1.1\r\nRange: bytes=10-19\r\nIf-Range: Sun, 06 Nov 1994 08:49:37 GMT\r\n\r\n",
       true, kAnswerPart, 10, 10},
      {"GET / HTTP/1.1\r\nRange: bytes=10-19\r\nIf-Range: Sun, 06 Nov 1994 08:49:38 GMT\r\n\r\n",
       true, kAnswerWhole, 0, 1000},
      {"GET / HTTP/1.1\r\nRange: bytes=10-19\r\nIf-Range: \"etag\"\r\n\r\n", true, kAnswerWhole, 0,
       1000},
      // A field named in the request line's place is no field.
      {"Range: bytes=10-19\r\n\r\n", true, kAnswerWhole, 0, 1000},
      // If-None-Match: the tag, weakly compared, in a list, or "*"; it
      // decides alone, whatever If-Modified-Since says.
      {"GET / HTTP/1.1\r\nIf-None-Match: " + tag + "\r\n\r\n", true, kAnswerNotModified, 0, 0},
      {"HEAD / HTTP/1.1\r\nIf-None-Match: W/" + tag + "\r\n\r\n", false, kAnswerNotModified, 0, 0},
      {"GET / HTTP/1.1\r\nIf-None-Match: \"a,b\" ,W/\"x\", " + tag + "\r\n\r\n", true,
       kAnswerNotModified, 0, 0},
      {"GET / HTTP/1.1\r\nIf-None-Match: \"x\"\r\nIf-None-Match: " + tag + "\r\n\r\n", true,
       kAnswerNotModified, 0, 0},
      {"GET / HTTP/1.1\r\nIf-None-Match: *\r\n\r\n", true, kAnswerNotModified, 0, 0},
      {"GET / HTTP/1.1\r\nIf-None-Match: " + old + "\r\n\r\n", true, kAnswerWhole, 0, 1000},
      {"GET / HTTP/1.1\r\nIf-None-Match: 1b98d5354dd71c0-3e8\r\n\r\n", true, kAnswerWhole, 0, 1000},
      {"GET / HTTP/1.1\r\nIf-None-Match: " + old + "\r\nIf-Modified-Since: " + date + "\r\n\r\n",
       true, kAnswerWhole, 0, 1000},
      {"GET / HTTP/1.1\r\nIf-Modified-Since: Sun, 06 Nov 1994 08:49:36 GMT\r\nIf-None-Match: " +
           tag + "\r\n\r\n",
       true, kAnswerNotModified, 0, 0},
      // If-Range: the tag, strongly compared.
      {"GET / HTTP/1.1\r\nRange: bytes=10-19\r\nIf-Range: " + tag + "\r\n\r\n", true, kAnswerPart,
       10, 10},
      {"GET / HTTP/1.1\r\nRange: bytes=10-19\r\nIf-Range: W/" + tag + "\r\n\r\n", true,
       kAnswerWhole, 0, 1000},
      {"GET / HTTP/1.1\r\nRange: bytes=10-19\r\nIf-Range: " + old + "\r\n\r\n", true, kAnswerWhole,
       0, 1000},
  };
  for (const auto& c : cases) {
    FilePlan plan = PlanFileAnswer(ReadFileConditions(c.head.c_str()), c.get, 1000, modified, now);
    EXPECT_EQ(plan.kind, c.kind) << c.head;
    EXPECT_EQ(plan.first, c.first) << c.head;
    EXPECT_EQ(plan.length, c.length) << c.head;
  }
}

TEST(FileAnswerHead, CarriesTheNewLinesAfterTheLengthLine) {
  const std::string date = "last-modified: Sun, 06 Nov 1994 08:49:37 GMT\r\n",
                    tag = "etag: \"1b98d5354912680-5\"\r\n";
  EXPECT_EQ(FileAnswerHead({kAnswerWhole, 0, 5}, true, 5, kSample, "text/html"),
            "HTTP/1.1 200 Sending file\r\ncontent-length: 5\r\ncontent-type: text/html\r\n" + date +
                tag + "accept-ranges: bytes\r\n\r\n");
  EXPECT_EQ(FileAnswerHead({kAnswerWhole, 0, 5}, false, 5, kSample, nullptr),
            "HTTP/1.1 200 File Exists\r\n" + date + tag + "accept-ranges: bytes\r\n\r\n");
  EXPECT_EQ(
      FileAnswerHead({kAnswerPart, 5368709120ULL, 2}, true, 5368709130ULL, kSample, "video/mp4"),
      "HTTP/1.1 206 Partial Content\r\ncontent-length: 2\r\ncontent-type: video/mp4\r\n" + date +
          "etag: \"1b98d5354912680-14000000a\"\r\naccept-ranges: bytes\r\ncontent-range: bytes "
          "5368709120-5368709121/" +
          "5368709130\r\n\r\n");
  EXPECT_EQ(FileAnswerHead({kAnswerNotModified, 0, 0}, true, 5, kSample, "text/html"),
            "HTTP/1.1 304 Not Modified\r\n" + date + tag + "accept-ranges: bytes\r\n\r\n");
  EXPECT_EQ(FileAnswerHead({kAnswerUnsatisfiable, 0, 0}, true, 5, kSample, "text/html"),
            "HTTP/1.1 416 Range Not Satisfiable\r\ncontent-length: 0\r\n" + date + tag +
                "accept-ranges: bytes\r\ncontent-range: bytes */5\r\n\r\n");
}

TEST(FolderRedirect, NamesTheFolderWithItsSlashAndNeverAnotherHost) {
  struct {
    const wchar_t* converted;
    const wchar_t* raw;
    const char* location;
  } cases[] = {
      {L"docs", L"/docs", "/docs/"},
      {L"a\\b c", L"/a/b%20c?x=1&y", "/a/b%20c/?x=1&y"},
      {L"\\evil.com", L"//evil.com", "/evil.com/"},
      {L"\\\\evil.com", L"/\\/evil.com", "/evil.com/"},
      {L"\u00C3\u00A9", L"/%C3%A9", "/%C3%A9/"},
      {L"a", L"/a?\u00E9 \"", "/a/?%E9%20\""},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderLocation(c.converted, c.raw), c.location) << c.raw;
  EXPECT_EQ(RedirectHead(true, "/docs/"),
            "HTTP/1.1 301 Moved Permanently\r\ncontent-length: 0\r\nlocation: /docs/\r\n\r\n");
  EXPECT_EQ(RedirectHead(false, "/docs/"),
            "HTTP/1.1 301 Moved Permanently\r\nlocation: /docs/\r\n\r\n");
}

TEST(FileCache, HandsOutOnlyTheSizeAndTimeItWasGivenAndStaysWithinItsBound) {
  const ULONGLONG now = kSample + 3600 * kFileTimeTicksPerSecond;
  const ULONGLONG settled = now - CFileCache::kSettledTicks;
  CFileCache cache(10);
  char out[8] = {};
  cache.Store(L"a", 4, settled, now, "AAAA");
  EXPECT_TRUE(cache.Copy(L"a", 4, settled, 1, 3, out));
  EXPECT_EQ(std::string(out, 3), "AAA");
  EXPECT_FALSE(cache.Copy(L"a", 4, settled, 2, 3, out));  // past the end
  EXPECT_FALSE(cache.Holds(L"a", 4, settled + 1));        // written again since
  EXPECT_FALSE(cache.Holds(L"a", 5, settled));
  // Written too lately to be told apart from a write right after the read.
  cache.Store(L"b", 4, settled + 1, now, "BBBB");
  EXPECT_FALSE(cache.Holds(L"b", 4, settled + 1));
  // The bound: the oldest copies go.
  cache.Store(L"c", 4, settled, now, "CCCC");
  cache.Store(L"d", 4, settled, now, "DDDD");
  EXPECT_LE(cache.Bytes(), 10u);
  EXPECT_FALSE(cache.Holds(L"a", 4, settled));
  EXPECT_TRUE(cache.Holds(L"d", 4, settled));
  cache.Store(L"c", 2, settled + 5, now + 5, "cc");  // replaced, not added
  EXPECT_EQ(cache.Bytes(), 6u);
  EXPECT_FALSE(cache.Holds(L"c", 4, settled));
  cache.Store(L"huge", 11, settled, now, "01234567890");
  EXPECT_FALSE(cache.Holds(L"huge", 11, settled));
}

TEST(FileCache, KeepsItsBoundWhenAFileItHoldsIsStoredAgainLarger) {
  const ULONGLONG now = kSample + 3600 * kFileTimeTicksPerSecond;
  const ULONGLONG settled = now - CFileCache::kSettledTicks;
  CFileCache cache(10);
  cache.Store(L"a", 4, settled - 1, now, "aaaa");
  cache.Store(L"b", 4, settled - 1, now, "bbbb");
  cache.Store(L"a", 7, settled, now, "AAAAAAA");
  cache.Store(L"c", 5, settled, now, "ccccc");
  EXPECT_LE(cache.Bytes(), 10u);
  EXPECT_TRUE(cache.Holds(L"c", 5, settled));
}

// Files of changing sizes written and served in a random order: every step
// keeps the bound, never hands out bytes of an older version, keeps what was
// just stored, and drops the least recently used first.
TEST(FileCache, StaysBoundedFreshAndLeastRecentlyUsedUnderAnySequence) {
  const size_t kLimit = 12;
  const int kFiles = 6;
  const ULONGLONG now = kSample + 3600 * kFileTimeTicksPerSecond;
  struct File {
    ULONGLONG size = 1, version = 0;
    ULONGLONG Modified() const { return kSample + version; }
    std::string Bytes(int index) const {
      std::string bytes = std::to_string(index) + "." + std::to_string(version) + ".";
      bytes.resize(static_cast<size_t>(size), '#');
      return bytes;
    }
  };
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    CFileCache cache(kLimit);
    File files[kFiles];
    int lastUsed = -1;          // served or stored by the step before
    ULONGLONG lastVersion = 0;  // its version then
    for (int step = 0; step < 2000; ++step) {
      int i = static_cast<int>(random() % kFiles);
      File& file = files[i];
      std::wstring key = L"f" + std::to_wstring(i);
      if (random() % 3 == 0) {  // another program writes the file
        file.size = 1 + random() % 7;
        ++file.version;
        continue;
      }
      std::string expected = file.Bytes(i);
      char out[8] = {};
      if (cache.Holds(key, file.size, file.Modified())) {
        ASSERT_TRUE(
            cache.Copy(key, file.size, file.Modified(), 0, static_cast<DWORD>(file.size), out));
        ASSERT_EQ(std::string(out, static_cast<size_t>(file.size)), expected)
            << seed << "/" << step;
      } else {
        cache.Store(key, file.size, file.Modified(), now, expected.data());
        ASSERT_LE(cache.Bytes(), kLimit) << seed << "/" << step;
        // The file used before survives a store that leaves room for it;
        // the file stored is looked up after it, to be the last used again.
        const File& used = files[lastUsed < 0 ? i : lastUsed];
        if (lastUsed >= 0 && lastUsed != i && used.version == lastVersion &&
            used.size + file.size <= kLimit) {
          ASSERT_TRUE(cache.Holds(L"f" + std::to_wstring(lastUsed), used.size, used.Modified()))
              << "the most recently used went first: " << seed << "/" << step;
        }
        ASSERT_TRUE(cache.Holds(key, file.size, file.Modified())) << seed << "/" << step;
      }
      lastUsed = i;
      lastVersion = file.version;
    }
  }
}

TEST(FileCache, KeysEverySpellingOfOneFileAlike) {
  const std::wstring key = CFileCache::KeyOf(L"C:\\site\\app\\x.js");
  const wchar_t* same[] = {L"C:\\SITE\\App\\X.JS", L"c:\\site\\.\\app\\x.js",
                           L"C:\\site\\\\app\\x.js", L"C:\\site\\app\\x.js.",
                           L"C:\\site\\app/x.js"};
  for (const wchar_t* path : same) EXPECT_EQ(CFileCache::KeyOf(path), key) << path;
  EXPECT_NE(CFileCache::KeyOf(L"C:\\site\\app\\y.js"), key);
  EXPECT_EQ(CFileCache::KeyOf(L"C:\\site\\\u00E9.txt"), CFileCache::KeyOf(L"C:\\site\\\u00C9.TXT"));
}

}  // namespace
