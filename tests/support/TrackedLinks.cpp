#include "TrackedLinks.h"

#include "base/Sha256.h"
#include "engine/FileCatalog.h"
#include "engine/uOutlookItem.h"

namespace testing_support {

void TrackLink(TestPlatform& platform, sim::Item& item, int index, std::optional<std::string> bytes) {
    auto& link = item.AttachmentAt(index);
    auto wrapper = velmora::TOutlookItemFactory::CreateItem(item.Identity());
    velmora::TFileCatalog catalog;
    host::CatalogEntry entry;
    entry.Path = link.Data().PathName;
    entry.PathKey = catalog.PathKey(entry.Path);
    entry.DirectoryKey = catalog.DirectoryKey(entry.Path);
    const std::string content = bytes ? *bytes : platform.ReadFile(entry.Path);
    velmora::Sha256 hash;
    hash.Update(content.data(), content.size());
    entry.Sha256 = velmora::Sha256::Hex(hash.Finish());
    entry.Size = content.size();
    entry.Reference = host::CatalogReference::Link;
    entry.ItemId = item.EntryID();
    entry.LinkId = catalog.LinkIdentity(*wrapper, link);
    platform.Catalog().Add(entry);
}

}  // namespace testing_support
