#include "win32/Win32Shell.h"

#include "win32/ExecutableName.h"
#include "win32/SystemLibrary.h"

#include "SharedNames.h"

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

namespace velt {

void Win32Shell::OpenDocument(std::string_view file) {
    const std::string name(file);
    // The result is deliberately not examined: a missing document opens nothing, silently.
    ShellExecuteA(nullptr, "open", name.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool Win32Shell::MakeDirectory(std::string_view path) {
    const std::string name(path);
    return CreateDirectoryA(name.c_str(), nullptr) != FALSE;
}

namespace {

// Everyone may wait for the mutex (SYNCHRONIZE); SYSTEM and Administrators may do anything with
// it. No one else may change its rights or take it over, and a copy in any session can see it.
// Windows 95, 98 and ME have no access lists (and no descriptors to convert): the mutex is made
// as it is.
HANDLE CreateMutexWithRights(const char* name) {
    constexpr DWORD kNotNt = 0x80000000;
    if ((GetVersion() & kNotNt) != 0) {
        return CreateMutexA(nullptr, FALSE, name);
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(
            shared::kSddlMachineLock, SDDL_REVISION_1, &descriptor, nullptr) == FALSE) {
        return nullptr;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HANDLE mutex = CreateMutexA(&attributes, FALSE, name);
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return mutex;
}

} // namespace

MutexState Win32Shell::AcquireNamedMutex(std::string_view name, std::uint32_t timeoutMs) {
    const std::string text(name);
    // The handle is never closed: ownership lasts until the process ends and Windows frees it.
    HANDLE mutex = CreateMutexWithRights(text.c_str());
    if (mutex == nullptr && GetLastError() == ERROR_ACCESS_DENIED) {
        // It exists, and this user may not have every right to it: waiting is enough.
        mutex = OpenMutexA(SYNCHRONIZE, FALSE, text.c_str());
    }
    if (mutex == nullptr) {
        // ERROR_INVALID_HANDLE: the name is taken by an event, a semaphore or a section.
        return GetLastError() == ERROR_INVALID_HANDLE ? MutexState::OtherKind : MutexState::Denied;
    }
    switch (WaitForSingleObject(mutex, timeoutMs)) {
    case WAIT_OBJECT_0:
        return MutexState::Owned;
    case WAIT_ABANDONED:
        return MutexState::Abandoned;
    case WAIT_TIMEOUT:
        return MutexState::Held;
    default:
        return MutexState::WaitFailed;
    }
}

std::string Win32Shell::ExecutableName() {
    // Whole however long, or empty: never cut.
    return ExecutableFileName();
}

std::string Win32Shell::LocalAppDataFolder() {
    char folder[MAX_PATH] = {};
    if (FAILED(
            SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return {};
    }
    return folder;
}

std::vector<std::string> Win32Shell::InstalledProductFolders(std::string_view upgradeCode) {
    // msi.dll is loaded only for this question, from the system folder, and its functions are
    // looked up: the program's imports stay those of every Windows it runs on.
    using EnumRelated = UINT(WINAPI*)(LPCSTR, DWORD, DWORD, LPSTR);
    using ProductInfo = UINT(WINAPI*)(LPCSTR, LPCSTR, LPSTR, LPDWORD);
    constexpr DWORD kMaxProducts = 16;
    constexpr DWORD kMaxFolderChars = 32767;
    std::vector<std::string> folders;
    HMODULE msi = LoadSystemLibrary("msi.dll");
    const auto related = ExportOf<EnumRelated>(msi, "MsiEnumRelatedProductsA");
    const auto info = ExportOf<ProductInfo>(msi, "MsiGetProductInfoA");
    const std::string code(upgradeCode);
    char product[39] = {};
    for (DWORD i = 0; related != nullptr && info != nullptr && i < kMaxProducts &&
                      related(code.c_str(), 0, i, product) == ERROR_SUCCESS;
         ++i) {
        DWORD chars = 0;
        char none[1] = {};
        if (info(product, "InstallLocation", none, &chars) != ERROR_MORE_DATA ||
            chars >= kMaxFolderChars) {
            continue;
        }
        std::string folder(chars + 1, '\0');
        chars = static_cast<DWORD>(folder.size());
        if (info(product, "InstallLocation", folder.data(), &chars) == ERROR_SUCCESS &&
            chars < folder.size()) {
            folder.resize(chars);
            folders.push_back(std::move(folder));
        }
    }
    if (msi != nullptr) {
        FreeLibrary(msi);
    }
    return folders;
}

} // namespace velt
