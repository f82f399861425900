// Cache clearing's decisions: paths that fit, entries by kind, a folder's result, entry buffers.
#include <gtest/gtest.h>

#include "mainwnd/CachePaths.h"

using namespace cache;

namespace {

TEST(CachePaths, TrailingBackslashAndPattern) {
    EXPECT_EQ(WithTrailingBackslash(L"C:\\a"), L"C:\\a\\");
    EXPECT_EQ(WithTrailingBackslash(L"C:\\a\\"), L"C:\\a\\");
    EXPECT_EQ(WithTrailingBackslash(L""), L"\\");
    std::wstring pattern;
    ASSERT_TRUE(SearchPattern(L"C:\\a", pattern));
    EXPECT_EQ(pattern, L"C:\\a\\*");
    ASSERT_TRUE(SearchPattern(L"C:\\a\\", pattern));
    EXPECT_EQ(pattern, L"C:\\a\\*");
    // 257 characters + "\*" + terminator = 260 fits; one more does not.
    const std::wstring fits = L"C:\\" + std::wstring(254, L'x');
    ASSERT_TRUE(SearchPattern(fits, pattern));
    EXPECT_EQ(pattern.size(), 259u);
    pattern = L"unchanged";
    EXPECT_FALSE(SearchPattern(fits + L"y", pattern));
    EXPECT_EQ(pattern, L"unchanged");
}

TEST(CachePaths, ChildPathsThatDoNotFitAreRefused) {
    std::wstring path;
    ASSERT_TRUE(ChildPath(L"C:\\a\\", L"b.sol", path));
    EXPECT_EQ(path, L"C:\\a\\b.sol");
    const std::wstring folder = L"C:\\" + std::wstring(250, L'x') + L"\\";  // 254 characters
    ASSERT_TRUE(ChildPath(folder, std::wstring(5, L'n'), path));           // 259 + terminator
    EXPECT_EQ(path.size(), 259u);
    path = L"unchanged";
    EXPECT_FALSE(ChildPath(folder, std::wstring(6, L'n'), path));
    EXPECT_EQ(path, L"unchanged");
}

TEST(CachePaths, DotEntries) {
    EXPECT_TRUE(IsDotEntry(L"."));
    EXPECT_TRUE(IsDotEntry(L".."));
    EXPECT_FALSE(IsDotEntry(L"..."));
    EXPECT_FALSE(IsDotEntry(L".sol"));
    EXPECT_FALSE(IsDotEntry(L""));
}

TEST(CachePaths, LinksAreNeverFollowed) {
    struct Case {
        std::uint32_t attributes, tag;
        EntryAction action;
    } cases[] = {
        {0x20, 0, EntryAction::DeleteFile},
        {0x21, 0, EntryAction::DeleteFile},  // read-only: cleared, then deleted
        {0x80, 0, EntryAction::DeleteFile},
        {0x10, 0, EntryAction::DeleteTree},
        {0x11, 0, EntryAction::DeleteTree},
        {0x410, kTagMountPoint, EntryAction::RemoveLink},
        {0x410, kTagSymlink, EntryAction::RemoveLink},
        {0x410, 0, EntryAction::Leave},           // a link of a kind not named: left alone
        {0x410, 0x9000001A, EntryAction::Leave},  // say, a cloud placeholder folder
        {0x420, kTagSymlink, EntryAction::DeleteFile},
        {0x420, 0, EntryAction::DeleteFile},
    };
    for (const Case& c : cases) EXPECT_EQ(ActionFor(c.attributes, c.tag), c.action) << std::hex << c.attributes;
}

TEST(CachePaths, FolderResultAndLastError) {
    TreeResult r = DeleteTreeResult(true, 0);
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.setError);
    r = DeleteTreeResult(false, 0);  // the removal's own error stands
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.setError);
    r = DeleteTreeResult(false, 32);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.setError);
    EXPECT_EQ(r.error, 32u);
    r = DeleteTreeResult(true, 5);  // another clearing removed the folder meanwhile
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, 5u);
}

TEST(CachePaths, EntryBuffersAreCheckedSizes) {
    EXPECT_EQ(EntryBufferBytes(80, 80), 160u);
    EXPECT_EQ(EntryBufferBytes(300, 80), 600u);
    EXPECT_EQ(EntryBufferBytes(kMaxEntryBytes, 80), 2u * kMaxEntryBytes);
    EXPECT_EQ(EntryBufferBytes(79, 80), 0u);
    EXPECT_EQ(EntryBufferBytes(0, 80), 0u);
    EXPECT_EQ(EntryBufferBytes(kMaxEntryBytes + 1, 80), 0u);
    EXPECT_EQ(EntryBufferBytes(0xFFFFFFFFu, 80), 0u);
}

}  // namespace
