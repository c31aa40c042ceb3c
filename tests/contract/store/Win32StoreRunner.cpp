// The store contract against the real Windows files and registry (run under Wine): real files
// in a fresh folder under the temporary directory, a fresh key under HKEY_CURRENT_USER.
#include "StoreContract.h"

#include <windows.h>

#include <shlwapi.h>

#include <cstdlib>

#include "win32/Win32Files.h"
#include "win32/Win32Registry.h"

namespace velt::contract {

namespace {

void RemoveAll(const std::string& path) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveAll(child);
            } else {
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

class Win32StoreEnvironment final : public StoreEnvironment {
  public:
    Win32StoreEnvironment() {
        static int serial = 0;
        const std::string unique =
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "velt-store-" + unique;
        while (folder_.find("\\\\") != std::string::npos) {
            folder_.erase(folder_.find("\\\\"), 1);
        }
        CreateDirectoryA(folder_.c_str(), nullptr);
        keyPath_ = "Software\\VeltarionTest\\contract-" + unique;
    }
    ~Win32StoreEnvironment() override {
        RemoveAll(folder_);
        DeleteKeyTree(keyPath_);
    }
    Win32StoreEnvironment(const Win32StoreEnvironment&) = delete;
    Win32StoreEnvironment& operator=(const Win32StoreEnvironment&) = delete;

    IFiles& Files() override { return files_; }
    ISettingsRegistry& Registry() override { return registry_; }
    std::string Folder() override { return folder_; }
    std::string KeyPath() override { return keyPath_; }

    std::optional<std::string> LockedFolder() override { return Prepared("app"); }
    std::optional<std::string> UnwritableStorageFolder() override { return Prepared("rofile"); }

    bool DeleteKeyTree(const std::string& path) override {
        return SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
    }

    bool ReadOnlyAttributeHonoured() override {
        const std::string probe = folder_ + "\\attribute-probe";
        files_.Create(probe, FileShare::Read);
        files_.SetReadOnly(probe, true);
        const HANDLE handle = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        const bool honoured = handle == INVALID_HANDLE_VALUE;
        if (!honoured) {
            CloseHandle(handle);
        }
        files_.SetReadOnly(probe, false);
        files_.Remove(probe);
        return honoured;
    }

    bool HardLink(const std::string& existing, const std::string& link) override {
        return CreateHardLinkA(link.c_str(), existing.c_str(), nullptr) != FALSE;
    }

  private:
    // Prepared outside Wine by lockedfolder.sh (immutable Unix files and folders); their base
    // folder comes as a Unix path in VELT_LOCKED_DIR, and "<name>.ok" tells that one worked.
    static std::optional<std::string> Prepared(const char* name) {
        const char* unixPath = std::getenv("VELT_LOCKED_DIR");
        if (unixPath == nullptr || *unixPath == '\0') {
            return std::nullopt;
        }
        std::string path = std::string("Z:") + unixPath + "/" + name;
        for (char& c : path) {
            if (c == '/') {
                c = '\\';
            }
        }
        if (GetFileAttributesA((path + ".ok").c_str()) == INVALID_FILE_ATTRIBUTES) {
            return std::nullopt;
        }
        return path;
    }

    Win32Files files_;
    Win32Registry registry_;
    std::string folder_;
    std::string keyPath_;
};

} // namespace

std::unique_ptr<StoreEnvironment> MakeStoreEnvironment() {
    return std::make_unique<Win32StoreEnvironment>();
}

} // namespace velt::contract
