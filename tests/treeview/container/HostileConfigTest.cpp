// Hostile configuration files (random bytes with zero bytes, lines of
// megabytes, paths far deeper than the tree takes, thousands of quotes) mixed
// with known records: the control survives each load, still answers its
// properties, and the tree holds exactly the nodes the known records make.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include "TreeFixture.h"

using namespace treetest;

namespace {
const uint32_t kSeed = 20261208;
// Every known record lives under a root with this prefix; hostile lines
// never start with it, so they cannot reach those subtrees.
const char kRootPrefix[] = "Known-";
// The deepest path the control builds, as documented.
const size_t kMaxPathDepth = 128;

// The known records' nodes, built from the record rules stated plainly: a
// record is path|icon|data; the path's backslash-separated prefixes each
// become a node, and the record that creates a node gives it its data.
class RecordModel {
public:
  void Add(const std::string& path, const std::string& data) {
    size_t pos = 0;
    for (;;) {
      size_t slash = path.find('\\', pos);
      std::string prefix = path.substr(0, slash);
      nodes.emplace(prefix, data);  // a node that exists keeps its data
      if (slash == std::string::npos) break;
      pos = slash + 1;
    }
  }
  std::map<std::string, std::string> nodes;
};

// A configuration file in the making, with the model of its known records
// and a bound on the nodes its hostile lines could add.
class HostileFile {
public:
  explicit HostileFile(std::mt19937& rng) : m_rng(rng) {}

  void Record(const std::string& path, const std::string& data) {
    bytes += path + "||" + data + "\r\n";
    model.Add(path, data);
  }
  // Hostile text, ended so the next record starts on its own line. Each of
  // its lines adds at most one node per backslash-separated segment.
  void Hostile(const std::string& text) {
    bytes += text + "\n";
    hostileBound += static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    hostileBound += static_cast<size_t>(std::count(text.begin(), text.end(), '\\'));
  }
  // A line the control must turn down whole, known prefix or not.
  void Refused(const std::string& line) { bytes += line + "\r\n"; }
  void KnownRecords(int root, int count) {
    for (int i = 0; i < count; ++i) {
      std::string path = kRootPrefix + std::to_string(root);
      int depth = static_cast<int>(m_rng() % 4);
      for (int d = 0; d < depth; ++d) path += "\\n" + std::to_string(m_rng() % 5);
      Record(path, "r" + std::to_string(root) + "." + std::to_string(i));
    }
  }
  std::string RandomBytes(size_t n) {
    std::string s(n, '\0');
    for (char& ch : s) ch = static_cast<char>(m_rng() & 0xFF);
    // A line starting with the known prefix could join a known subtree.
    for (size_t p = s.find(kRootPrefix); p != std::string::npos; p = s.find(kRootPrefix, p + 1))
      s[p] = '#';
    return s;
  }

  std::string bytes;
  RecordModel model;
  size_t hostileBound = 0;

private:
  std::mt19937& m_rng;
};

class HostileConfig : public TreeFixture {
protected:
  void SetUp() override {
    TreeFixture::SetUp();
    std::printf("hostile configuration seed: %u\n", kSeed);
    rng.seed(kSeed);
    Configure(folder, "tree.txt", 0);
    Activate();
    PutBool(kDispShowError, false);
  }

  std::string Label(HWND tree, HTREEITEM h) {
    char buf[512] = {};
    TVITEMA item = {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = h;
    item.pszText = buf;
    item.cchTextMax = sizeof(buf);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return buf;
  }

  // Walks the tree without recursion (it may be thousands deep): all nodes
  // counted, the full paths of those under the known roots collected.
  size_t Walk(std::set<std::string>& known) {
    HWND tree = c.TreeWindow();
    size_t count = 0;
    std::vector<std::string> stack;  // paths of the known ancestors, or "" outside them
    HTREEITEM h = TreeView_GetRoot(tree);
    while (h) {
      ++count;
      std::string label = Label(tree, h);
      std::string path;
      if (stack.empty()) {
        if (label.compare(0, sizeof(kRootPrefix) - 1, kRootPrefix) == 0) path = label;
      } else if (!stack.back().empty()) {
        path = stack.back() + "\\" + label;
      }
      if (!path.empty()) known.insert(path);
      HTREEITEM child = TreeView_GetChild(tree, h);
      if (child) {
        stack.push_back(path);
        h = child;
        continue;
      }
      while (h && !TreeView_GetNextSibling(tree, h)) {
        h = TreeView_GetParent(tree, h);
        if (h) stack.pop_back();
      }
      if (h) h = TreeView_GetNextSibling(tree, h);
    }
    return count;
  }

  // Loads the file and checks the tree against the model; the dispatch
  // calls on the way show the control still answers.
  void LoadAndCheck(const HostileFile& f) {
    Write("tree.txt", f.bytes);
    const DWORD start = GetTickCount();
    {
      // With ShowError off no box may appear; one would block the load.
      MessageBoxCloser boxes;
      Refresh();
      EXPECT_TRUE(boxes.Texts().empty());
    }
    std::printf("  %zu bytes loaded in %lu ms\n", f.bytes.size(), GetTickCount() - start);
    ASSERT_TRUE(IsWindow(c.TreeWindow()));
    EXPECT_EQ(c.GetString(kDispURL), folder);

    std::set<std::string> known;
    const size_t total = Walk(known);
    std::set<std::string> expected;
    for (const auto& n : f.model.nodes) expected.insert(n.first);
    EXPECT_EQ(known, expected);
    EXPECT_GE(total, expected.size());
    EXPECT_LE(total, expected.size() + f.hostileBound);
    EXPECT_EQ(TreeView_GetCount(c.TreeWindow()), total);

    // The data of a sample of known nodes, read back through the selection.
    size_t i = 0;
    for (const auto& n : f.model.nodes) {
      if (i++ % 7 != 0) continue;
      ASSERT_EQ(c.PutString(kDispSelectedNodes, n.first), S_OK);
      EXPECT_EQ(c.GetString(kDispSelectedNodes), n.first);
      EXPECT_EQ(c.GetString(kDispSelectedData), n.second) << n.first.substr(0, 80);
    }
    c.Take();
  }

  std::mt19937 rng;
};
}  // namespace

TEST_F(HostileConfig, RandomBytesWithZeroBytesAddNothingToTheKnownRecords) {
  HostileFile f(rng);
  for (int round = 0; round < 20; ++round) {
    f.KnownRecords(round, 10);
    f.Hostile(f.RandomBytes(2000 + rng() % 20000));
  }
  f.KnownRecords(99, 10);
  LoadAndCheck(f);
}

TEST_F(HostileConfig, LinesOfMegabytesLoadAndKeepTheirDataWhole) {
  HostileFile f(rng);
  f.KnownRecords(1, 20);
  // A record whose data is megabytes long is still a record.
  std::string huge(4 << 20, 'x');
  for (size_t i = 0; i < huge.size(); i += 997) huge[i] = static_cast<char>('a' + rng() % 26);
  f.Record(std::string(kRootPrefix) + "huge", huge);
  // Megabytes with no path: no node.
  f.Hostile("|" + std::string(3 << 20, 'y'));
  // Megabytes of random bytes on one line (no line end inside).
  std::string noise = f.RandomBytes(3 << 20);
  for (char& ch : noise)
    if (ch == '\n') ch = ' ';
  f.Hostile(noise);
  f.KnownRecords(2, 20);
  LoadAndCheck(f);
  ASSERT_EQ(c.PutString(kDispSelectedNodes, std::string(kRootPrefix) + "huge"), S_OK);
  EXPECT_TRUE(c.GetString(kDispSelectedData) == huge);
}

TEST_F(HostileConfig, PathsUpToTheDepthLimitBuildTheWholeChainDeeperOnesNothing) {
  HostileFile f(rng);
  f.KnownRecords(1, 10);
  std::string deep = std::string(kRootPrefix) + "deep";
  for (size_t i = 1; i < kMaxPathDepth; ++i) deep += "\\s" + std::to_string(i);
  f.Record(deep, "bottom");
  // One level more is refused whole, under a known chain or not.
  f.Refused(deep + "\\last||last");
  std::string deeper = std::string(kRootPrefix) + "deeper";
  for (int i = 0; i < 2500; ++i) deeper += "\\s" + std::to_string(i);
  f.Refused(deeper + "||x");
  // Thousands of empty segments, and a line of 300,000 levels whose keys
  // alone would fill tens of gigabytes.
  f.Hostile("Hollow" + std::string(3000, '\\') + "|x|y");
  std::string abyss = "Abyss";
  for (int i = 0; i < 300000; ++i) abyss += "\\a";
  f.Hostile(abyss + "|x|y");
  f.KnownRecords(2, 10);
  LoadAndCheck(f);
  ASSERT_EQ(c.PutString(kDispSelectedNodes, deep), S_OK);
  EXPECT_EQ(c.GetString(kDispSelectedData), "bottom");
  EXPECT_TRUE(c.GetString(kDispSelectedNodes) == deep);
}

TEST_F(HostileConfig, ThousandsOfQuotesNeitherHangNorReachTheKnownRecords) {
  HostileFile f(rng);
  f.KnownRecords(1, 10);
  f.Hostile(std::string(20000, '"'));
  f.Hostile("Q" + std::string(9999, '"') + "|i|d");
  std::string mixed;
  for (int i = 0; i < 10000; ++i) mixed += "\"|\\"[rng() % 3];
  f.Hostile(mixed);
  std::string pairs = "P||";
  for (int i = 0; i < 5000; ++i) pairs += "\"\"|";
  f.Hostile(pairs);
  f.KnownRecords(2, 10);
  LoadAndCheck(f);
}
