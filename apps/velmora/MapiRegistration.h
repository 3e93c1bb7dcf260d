#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/Registry.h"

namespace velmora::cli {

inline constexpr std::u16string_view kMessagingSubsystemKey = u"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
inline constexpr std::u16string_view kMailClientKey = u"SOFTWARE\\Clients\\Mail\\Microsoft Outlook";

enum class InstallPlace { Machine, CurrentUser };

// Registers the MAPI provider library as a mail client's installer does:
// MAPI = "1" under the messaging subsystem key and DLLPathEx = the library's
// path under the mail client's key, both below HKEY_LOCAL_MACHINE. When the
// machine hive may not be written (ERROR_ACCESS_DENIED), both go into the
// current user's virtual store of those keys instead, which a
// VirtualStoreRegistry shows in their place. Throws velmora::Exception when
// neither can be written.
InstallPlace InstallMapiProvider(host::Registry& registry, std::u16string_view libraryPath);

// What keeps the MAPI loader from finding, loading and initialising the
// provider through the installed platform, one line per problem; empty when
// it works.
std::vector<std::u16string> MapiProblems();

}  // namespace velmora::cli
