#include "zel/components/UserPassword.h"

#include "zel/components/PasswordCheck.h"
#include "zel/host/text/Secret.h"

namespace zel {

void StorePassword(host::TDataSet& table, const std::string& passwordField, std::string& password) {
    std::string hash;
    try {
        hash = HashPassword(password);
        host::WipeSecret(password);
        table.Edit();
        try {
            table.FieldByName(passwordField).SetAsVariant(host::TVariant(hash));
            table.Post();
        } catch (...) {
            table.Cancel();
            throw;
        }
    } catch (...) {
        host::WipeSecret(password);
        host::WipeSecret(hash);
        throw;
    }
    host::WipeSecret(hash);
}

} // namespace zel
