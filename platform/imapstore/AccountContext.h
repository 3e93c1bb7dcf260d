#pragma once

#include <string>

#include "imapstore/Connection.h"
#include "mailstore/MessageContext.h"

namespace imapstore {

// What every object of one IMAP account shares: what item objects of any
// store share, and the account's connection.
class AccountContext final : public mailstore::MessageContext {
public:
    AccountContext(SessionSettings settings, bool includeSigned)
        : MessageContext(includeSigned), connection_(std::move(settings)) {}

    Connection& Link() { return connection_; }

private:
    Connection connection_;
};

}  // namespace imapstore
