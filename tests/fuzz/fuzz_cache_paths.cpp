// Cache clearing walks folders whose entries web content named and the
// cache reports sizes of: the paths it builds, what it does with each kind
// of entry, and the buffer it allocates. Input: attributes, reparse tag,
// reported size, header size, file error, a flag; then "\n"-separated
// fields: folder, entry name.
#include "FuzzInput.h"
#include "mainwnd/CachePaths.h"

using namespace cache;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReader in(data, size);
    const std::uint32_t attributes = in.Take<std::uint32_t>();
    const std::uint32_t tag = in.Take<std::uint32_t>();
    const std::uint32_t reported = in.Take<std::uint32_t>();
    const std::size_t header = in.Take<std::uint16_t>();
    const std::uint32_t fileError = in.Take<std::uint32_t>();
    const bool folderRemoved = in.Byte() & 1;
    const std::vector<std::wstring> fields = FieldsFrom(in.RestAsWide());
    const std::wstring folder = fields[0];
    const std::wstring name = fields.size() > 1 ? fields[1] : std::wstring();

    const std::wstring withSlash = WithTrailingBackslash(folder);
    FUZZ_CHECK(!withSlash.empty() && withSlash.back() == L'\\');
    FUZZ_CHECK(withSlash == folder || withSlash == folder + L'\\');
    FUZZ_CHECK(WithTrailingBackslash(withSlash) == withSlash);

    // Built paths fit MAX_PATH with their terminator, or are not built at all.
    std::wstring pattern = L"untouched";
    const bool searched = SearchPattern(folder, pattern);
    FUZZ_CHECK(searched == (withSlash.size() + 1 < kMaxPath));
    FUZZ_CHECK(searched ? pattern == withSlash + L"*" && pattern.size() < kMaxPath : pattern == L"untouched");

    FUZZ_CHECK(IsDotEntry(name) == (name == L"." || name == L".."));
    std::wstring child = L"untouched";
    const bool fits = ChildPath(withSlash, name, child);
    FUZZ_CHECK(fits == (withSlash.size() + name.size() < kMaxPath));
    FUZZ_CHECK(fits ? child == withSlash + name && child.size() < kMaxPath : child == L"untouched");

    // A link is never followed: whatever it points at stays untouched.
    const EntryAction action = ActionFor(attributes, tag);
    const bool folderEntry = attributes & kAttrDirectory;
    if (attributes & kAttrReparsePoint) {
        FUZZ_CHECK(action != EntryAction::DeleteTree);
        if (folderEntry)
            FUZZ_CHECK(action == ((tag == kTagMountPoint || tag == kTagSymlink) ? EntryAction::RemoveLink
                                                                                : EntryAction::Leave));
        else
            FUZZ_CHECK(action == EntryAction::DeleteFile);
    } else {
        FUZZ_CHECK(action == (folderEntry ? EntryAction::DeleteTree : EntryAction::DeleteFile));
    }

    const TreeResult result = DeleteTreeResult(folderRemoved, fileError);
    FUZZ_CHECK(result.ok == (folderRemoved && fileError == 0));
    FUZZ_CHECK(result.setError == (fileError != 0));
    if (result.setError) FUZZ_CHECK(result.error == fileError);

    // Either no buffer, or one that holds the header and twice the reported entry.
    const std::size_t bytes = EntryBufferBytes(reported, header);
    if (bytes) {
        FUZZ_CHECK(reported >= header && reported <= kMaxEntryBytes);
        FUZZ_CHECK(bytes == std::size_t(reported) * 2 && bytes >= header);
    } else {
        FUZZ_CHECK(reported < header || reported > kMaxEntryBytes || reported == 0);
    }
    return 0;
}
