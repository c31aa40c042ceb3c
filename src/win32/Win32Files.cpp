#include "win32/Win32Files.h"

#include <windows.h>
#include <aclapi.h>

#include "driver/PathTrust.h"

#include <string>

namespace velt {

namespace {

[[noreturn]] void ThrowLastError() {
    throw StoreError(FileErrorText(GetLastError()));
}

DWORD ShareFlags(FileShare share) {
    switch (share) {
    case FileShare::None:
        return 0;
    case FileShare::Read:
        return FILE_SHARE_READ;
    case FileShare::ReadWrite:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    return 0;
}

// Large transfers go in pieces that a DWORD count can carry.
constexpr std::size_t kMaxTransfer = 1U << 30;

// The accounts trusted with the program's files: the named ones and the system folder's owner and
// writers (PathTrust.h).
VeltTrust TrustedAccounts() {
    VeltTrust trust{};
    VeltTrustInit(&trust);
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (length > 0 && length < MAX_PATH &&
        GetNamedSecurityInfoA(system, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &descriptor) == ERROR_SUCCESS) {
        VeltTrustSystemFolder(&trust, owner,
                              owner != nullptr && IsValidSid(owner) ? GetLengthSid(owner) : 0, dacl,
                              dacl != nullptr ? dacl->AclSize : 0);
        LocalFree(descriptor);
    }
    return trust;
}

class Win32File final : public IFile {
  public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { CloseHandle(handle_); }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    std::uint64_t Size() override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(handle_, &size)) {
            ThrowLastError();
        }
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    std::uint64_t Position() override {
        LARGE_INTEGER zero{};
        LARGE_INTEGER position{};
        if (!SetFilePointerEx(handle_, zero, &position, FILE_CURRENT)) {
            ThrowLastError();
        }
        return static_cast<std::uint64_t>(position.QuadPart);
    }

    void Read(void* data, std::size_t size) override {
        auto* at = static_cast<char*>(data);
        while (size > 0) {
            const auto piece = static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
            DWORD got = 0;
            if (!ReadFile(handle_, at, piece, &got, nullptr)) {
                ThrowLastError();
            }
            if (got == 0) {
                ThrowStoreError(kErrReadBeyondEnd);
            }
            at += got;
            size -= got;
        }
    }

    void Write(const void* data, std::size_t size) override {
        const auto* at = static_cast<const char*>(data);
        while (size > 0) {
            const auto piece = static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
            DWORD put = 0;
            if (!WriteFile(handle_, at, piece, &put, nullptr)) {
                ThrowLastError();
            }
            if (put == 0) {
                ThrowStoreError(kErrDiskFull);
            }
            at += put;
            size -= put;
        }
    }

    void Flush() override {
        if (!FlushFileBuffers(handle_)) {
            ThrowLastError();
        }
    }

    FileOrigin Origin() override {
        FileOrigin origin;
        BY_HANDLE_FILE_INFORMATION info{};
        PSID owner = nullptr;
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (GetFileInformationByHandle(handle_, &info) == FALSE ||
            GetSecurityInfo(handle_, SE_FILE_OBJECT,
                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
            return origin;
        }
        const VeltTrust trust = TrustedAccounts();
        char sid[VELT_SID_TEXT_SIZE];
        const bool ownerRead = owner != nullptr && IsValidSid(owner) != FALSE &&
                               VeltSidText(owner, GetLengthSid(owner), sid, sizeof sid) != 0;
        origin.read = true;
        origin.links = info.nNumberOfLinks;
        origin.reparsePoint = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        origin.ownerTrusted = ownerRead && VeltTrusts(&trust, sid) != 0;
        origin.untrustedRights =
            VeltAclUntrustedRights(dacl, dacl != nullptr ? dacl->AclSize : 0, &trust);
        LocalFree(descriptor);
        return origin;
    }

  private:
    HANDLE handle_;
};

bool IsExistsError(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// The opened file; with CREATE_NEW, nullptr when something of that name exists.
std::unique_ptr<IFile> OpenHandle(std::string_view path, DWORD access, DWORD share,
                                  DWORD disposition) {
    const std::string name(path);
    HANDLE handle = CreateFileA(name.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (disposition == CREATE_NEW && IsExistsError(error)) {
            return nullptr;
        }
        throw StoreError(FileErrorText(error));
    }
    return std::make_unique<Win32File>(handle);
}

} // namespace

bool Win32Files::Exists(std::string_view path) {
    const DWORD attributes = GetFileAttributesA(std::string(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::unique_ptr<IFile> Win32Files::Create(std::string_view path, FileShare share) {
    return OpenHandle(path, GENERIC_READ | GENERIC_WRITE, ShareFlags(share), CREATE_ALWAYS);
}

std::unique_ptr<IFile> Win32Files::CreateNew(std::string_view path, FileShare share) {
    return OpenHandle(path, GENERIC_READ | GENERIC_WRITE, ShareFlags(share), CREATE_NEW);
}

std::unique_ptr<IFile> Win32Files::Open(std::string_view path, FileAccess access, FileShare share) {
    const DWORD rights =
        access == FileAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    return OpenHandle(path, rights, ShareFlags(share), OPEN_EXISTING);
}

void Win32Files::Copy(std::string_view from, std::string_view to) {
    if (!CopyFileA(std::string(from).c_str(), std::string(to).c_str(), FALSE)) {
        ThrowLastError();
    }
}

void Win32Files::Replace(std::string_view replaced, std::string_view replacement,
                         std::string_view backup) {
    const std::string target(replaced);
    const std::string source(replacement);
    const std::string bak(backup);
    // Another program (a virus scanner, an indexer) may hold the storage file open for a
    // moment; such a sharing violation passes, so it is tried a few more times before the save
    // is reported as failed. Nothing has moved while ReplaceFileA fails this way.
    constexpr int kTries = 5;
    constexpr DWORD kPauseMs = 40;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 1;; ++attempt) {
        if (ReplaceFileA(target.c_str(), source.c_str(), bak.c_str(), 0, nullptr, nullptr)) {
            return;
        }
        error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_UNABLE_TO_REMOVE_REPLACED) ||
            attempt == kTries) {
            break;
        }
        Sleep(kPauseMs);
    }
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        throw ReplaceInterrupted(FileErrorText(error));
    }
    throw StoreError(FileErrorText(error));
}

void Win32Files::MoveReplace(std::string_view from, std::string_view to) {
    if (!MoveFileExA(std::string(from).c_str(), std::string(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ThrowLastError();
    }
}

bool Win32Files::MoveNew(std::string_view from, std::string_view to) {
    if (MoveFileExA(std::string(from).c_str(), std::string(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    const DWORD error = GetLastError();
    if (IsExistsError(error)) {
        return false;
    }
    throw StoreError(FileErrorText(error));
}

void Win32Files::Remove(std::string_view path) {
    if (!DeleteFileA(std::string(path).c_str())) {
        ThrowLastError();
    }
}

void Win32Files::MakeDirectory(std::string_view path) {
    if (!CreateDirectoryA(std::string(path).c_str(), nullptr)) {
        ThrowLastError();
    }
}

void Win32Files::SetReadOnly(std::string_view path, bool readOnly) {
    const std::string name(path);
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        ThrowLastError();
    }
    DWORD wanted = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                            : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (wanted == 0) {
        wanted = FILE_ATTRIBUTE_NORMAL;
    }
    if (!SetFileAttributesA(name.c_str(), wanted)) {
        ThrowLastError();
    }
}

} // namespace velt
