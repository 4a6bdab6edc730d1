// Tests of CFile: what counts as an existing file, reading to the end,
// closing, and sizes beyond 32 bits.
#include "lib/CFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

const DWORD kReadAccess = GENERIC_READ;
const DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

class FileTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_strPath = ScratchPath(L"file.bin");
    ASSERT_TRUE(WriteBytes(m_strPath, "0123456789"));
  }
  void TearDown() override { DeleteFileW(m_strPath.c_str()); }
  std::wstring m_strPath;
};

}  // namespace

TEST_F(FileTest, ExistsForAReadableFileOnly) {
  EXPECT_TRUE(CFile::Exists(m_strPath.c_str()));
  EXPECT_FALSE(CFile::Exists((m_strPath + L".missing").c_str()));
}

TEST_F(FileTest, DoesNotExistForAFolder) {
  std::wstring folder = ScratchPath(L"folder");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_FALSE(CFile::Exists(folder.c_str()));
  EXPECT_FALSE(CFile::Exists((folder + L"\\").c_str()));
  RemoveDirectoryW(folder.c_str());
}

TEST_F(FileTest, DoesNotExistWhileAnotherHandleDeniesReadSharing) {
  HANDLE holder = CreateFileW(m_strPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CFile::Exists(m_strPath.c_str()));
  CloseHandle(holder);
  EXPECT_TRUE(CFile::Exists(m_strPath.c_str()));
}

TEST_F(FileTest, ExistsReleasesItsHandle) {
  ASSERT_TRUE(CFile::Exists(m_strPath.c_str()));
  // A handle left open would make an exclusive open fail.
  HANDLE h = CreateFileW(m_strPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST_F(FileTest, ReadReturnsZeroWithoutFailureAtTheEnd) {
  CFile file;
  ASSERT_TRUE(file.Open(m_strPath.c_str(), kReadAccess, kShareReadWrite, OPEN_EXISTING, 0));
  char buffer[8];
  bool failed = true;
  EXPECT_EQ(file.Read(buffer, 8, &failed), 8u);
  EXPECT_FALSE(failed);
  EXPECT_EQ(file.Read(buffer, 8, &failed), 2u);
  EXPECT_EQ(memcmp(buffer, "89", 2), 0);
  EXPECT_EQ(file.Read(buffer, 8, &failed), 0u);
  EXPECT_FALSE(failed);
}

TEST_F(FileTest, ReadFailureIsReportedApartFromTheEnd) {
  CFile file;
  ASSERT_TRUE(file.Open(m_strPath.c_str(), GENERIC_WRITE, kShareReadWrite, OPEN_EXISTING, 0));
  char buffer[8];
  bool failed = false;
  EXPECT_EQ(file.Read(buffer, 8, &failed), 0u);
  EXPECT_TRUE(failed);
}

TEST_F(FileTest, CloseIsIdempotentAndLeavesTheObjectClosed) {
  CFile file;
  EXPECT_TRUE(file.Close());
  ASSERT_TRUE(file.Open(m_strPath.c_str(), kReadAccess, kShareReadWrite, OPEN_EXISTING, 0));
  EXPECT_TRUE(file.IsOpen());
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(file.GetSize(), INVALID_FILE_SIZE);
  EXPECT_TRUE(file.Open(m_strPath.c_str(), kReadAccess, kShareReadWrite, OPEN_EXISTING, 0));
}

TEST_F(FileTest, OpenIsRefusedWhileAFileIsOpen) {
  CFile file;
  ASSERT_TRUE(file.Open(m_strPath.c_str(), kReadAccess, kShareReadWrite, OPEN_EXISTING, 0));
  EXPECT_FALSE(file.Open(m_strPath.c_str(), kReadAccess, kShareReadWrite, OPEN_EXISTING, 0));
  EXPECT_EQ(file.GetSize(), 10u);
}

TEST_F(FileTest, WriteAndLastWriteTimeWorkOnAnOpenFileOnly) {
  CFile file;
  EXPECT_EQ(file.GetLastWriteTime(), 0u);
  EXPECT_EQ(file.Write("x", 1), 0u);
  ASSERT_TRUE(file.Open(m_strPath.c_str(), GENERIC_READ | GENERIC_WRITE, kShareReadWrite,
                        OPEN_EXISTING, 0));
  EXPECT_EQ(file.Write("abc", 3), 3u);
  EXPECT_NE(file.GetLastWriteTime(), 0u);
}

TEST(FileSize, OfFourGibibytesOrMoreKeepsTheLowBitsAndTheWholeSizeIsAvailable) {
  std::wstring path = ScratchPath(L"large.bin");
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = 0x100000005LL;
  bool grown = SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  if (!grown) {
    DeleteFileW(path.c_str());
    GTEST_SKIP() << "no room for a sparse 4 GiB file here";
  }
  {
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), kReadAccess, kShareReadWrite, OPEN_EXISTING, 0));
    EXPECT_EQ(file.GetSize(), 5u);
    ULONGLONG measured = 0;
    EXPECT_TRUE(file.GetSize64(&measured));
    EXPECT_EQ(measured, 0x100000005ULL);
  }
  DeleteFileW(path.c_str());
}
