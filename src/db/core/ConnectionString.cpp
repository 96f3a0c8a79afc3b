#include "db/core/ConnectionString.h"

#include <strings.h>

namespace bm::db {

namespace {

std::string quoteValue(std::string_view value) {
    if (value.find(';') == std::string_view::npos && (value.empty() || value.front() != '"'))
        return std::string(value);
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

bool sameKey(std::string_view a, const char *b) {
    return a.size() == std::char_traits<char>::length(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

} // namespace

std::string buildConnectionString(std::string_view serviceName, std::string_view userId,
                                  std::string_view password) {
    return "Provider=MSDAORA.1;Data Source=" + quoteValue(serviceName) +
           ";Password=" + quoteValue(password) + ";User ID=" + quoteValue(userId);
}

ConnectionSettings parseConnectionString(std::string_view text) {
    ConnectionSettings settings;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t equals = text.find('=', pos);
        if (equals == std::string_view::npos)
            break;
        const std::string_view key = text.substr(pos, equals - pos);
        std::string value;
        pos = equals + 1;
        if (pos < text.size() && text[pos] == '"') {
            // Quoted: runs to the lone closing quote; a doubled quote stands for one.
            ++pos;
            while (pos < text.size()) {
                if (text[pos] == '"') {
                    if (pos + 1 < text.size() && text[pos + 1] == '"') {
                        value += '"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += text[pos++];
            }
            const std::size_t semicolon = text.find(';', pos);
            pos = semicolon == std::string_view::npos ? text.size() : semicolon + 1;
        } else {
            const std::size_t semicolon = text.find(';', pos);
            const std::size_t end = semicolon == std::string_view::npos ? text.size() : semicolon;
            value.assign(text.substr(pos, end - pos));
            pos = end + 1;
        }
        if (sameKey(key, "Provider"))
            settings.provider = std::move(value);
        else if (sameKey(key, "Data Source"))
            settings.dataSource = std::move(value);
        else if (sameKey(key, "Password"))
            settings.password = std::move(value);
        else if (sameKey(key, "User ID"))
            settings.userId = std::move(value);
    }
    return settings;
}

std::string withoutPassword(std::string_view connectionString) {
    ConnectionSettings settings = parseConnectionString(connectionString);
    wipeSecret(settings.password);
    return buildConnectionString(settings.dataSource, settings.userId, {});
}

void wipeSecret(std::string &text) noexcept {
    // Written through a volatile pointer so that the stores are not dropped as dead.
    volatile char *p = text.data();
    for (std::size_t i = 0; i < text.size(); ++i)
        p[i] = '\0';
    text.clear();
}

} // namespace bm::db
