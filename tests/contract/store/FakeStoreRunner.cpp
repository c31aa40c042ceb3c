// The store contract against the in-memory doubles.
#include "StoreContract.h"

#include "fakes/FakeFiles.h"
#include "fakes/FakeRegistry.h"

namespace velt::contract {

namespace {

class FakeStoreEnvironment final : public StoreEnvironment {
  public:
    FakeStoreEnvironment() { files_.AddDirectory("C:\\Temp\\velt-store"); }
    IFiles& Files() override { return files_; }
    ISettingsRegistry& Registry() override { return registry_; }
    bool DeleteKeyTree(const std::string& path) override { return registry_.DeleteTree(path); }
    std::string Folder() override { return "C:\\Temp\\velt-store"; }
    std::string KeyPath() override { return "Software\\VeltarionTest\\contract"; }
    std::optional<std::string> LockedFolder() override {
        const std::string app = "C:\\Temp\\locked\\app";
        files_.PutFile(app + "\\Profiles\\profiles.omx", FakeFiles::Bytes(1024, 0));
        files_.DenyWrites(app + "\\Profiles");
        files_.DenyWrites(app);
        return app;
    }

    std::optional<std::string> UnwritableStorageFolder() override {
        const std::string dir = "C:\\Temp\\rofile";
        files_.PutFile(dir + "\\Profiles\\profiles.omx", FakeFiles::Bytes(1024, 0));
        files_.SetReadOnly(dir + "\\Profiles\\profiles.omx", true);
        return dir;
    }
    bool ReadOnlyAttributeHonoured() override { return true; }
    bool HardLink(const std::string& existing, const std::string& link) override {
        FileOrigin origin = files_.Open(existing, FileAccess::Read, FileShare::ReadWrite)->Origin();
        ++origin.links;
        files_.SetOrigin(existing, origin);
        files_.PutFile(link, *files_.Contents(existing));
        files_.SetOrigin(link, origin);
        return true;
    }

  private:
    FakeFiles files_;
    FakeRegistry registry_;
};

} // namespace

std::unique_ptr<StoreEnvironment> MakeStoreEnvironment() {
    return std::make_unique<FakeStoreEnvironment>();
}

} // namespace velt::contract
