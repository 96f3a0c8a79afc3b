#pragma once

// The connection string of the log-on: "Provider=MSDAORA.1;Data Source=…;Password=…;User ID=…".

#include <string>
#include <string_view>

namespace bm::db {

struct ConnectionSettings {
    std::string provider;
    std::string dataSource;
    std::string password;
    std::string userId;
};

// Values are written as typed; one holding ";" or starting with a quotation mark is written
// between double quotes with inner quotes doubled, so that it reads back whole.
std::string buildConnectionString(std::string_view serviceName, std::string_view userId,
                                  std::string_view password);

// Reads the keys back (names compared ignoring case; unknown keys are skipped).
ConnectionSettings parseConnectionString(std::string_view text);

// The same connection string with an empty password: what is kept once the engine has opened.
std::string withoutPassword(std::string_view connectionString);

// Overwrites a text that held a secret before it is released, then empties it.
void wipeSecret(std::string &text) noexcept;

} // namespace bm::db
