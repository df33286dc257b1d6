// SPDX-License-Identifier: MIT
#include "serverconnection.h"

#include "servererror.h"

#include <libpq-fe.h>

namespace nomix {

namespace {

// libpq's text without its closing line break.
std::string reasonOf(const char* message) {
    std::string reason = message ? message : "";
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason.empty() ? "no reason given" : reason;
}

std::string valueOr(const char* value, const char* fallback) {
    return value && *value ? value : fallback;
}

// host:port/dbname from the URL's own words, for a URL libpq could not even
// take apart into a connection; never the password.
std::string nameFromUrl(const std::string& url) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(url.c_str(), &error);
    PQfreemem(error);
    if (!options) {
        return "the URL given";
    }
    std::string host = "localhost";
    std::string port = "5432";
    std::string database;
    for (const PQconninfoOption* option = options; option->keyword; ++option) {
        const std::string keyword = option->keyword;
        if (keyword == "host" || keyword == "hostaddr") {
            host = valueOr(option->val, host.c_str());
        } else if (keyword == "port") {
            port = valueOr(option->val, port.c_str());
        } else if (keyword == "dbname") {
            database = valueOr(option->val, "");
        }
    }
    PQconninfoFree(options);
    return host + ":" + port + "/" + database;
}

void ignoreNotice(void*, const char*) {}

} // namespace

ServerConnection::ServerConnection(const std::string& url) {
    // Names keep their bytes: no conversion between encodings on the way.
    const char* const keywords[] = {"dbname", "client_encoding", "application_name", nullptr};
    const char* const values[] = {url.c_str(), "SQL_ASCII", "nomix95", nullptr};
    m_connection = PQconnectdbParams(keywords, values, 1);
    if (!m_connection) {
        throw ServerError("cannot reach the database server at " + nameFromUrl(url) +
                          ": out of memory");
    }
    const char* host = PQhost(m_connection);
    m_serverName = host && *host ? std::string(host) + ":" + valueOr(PQport(m_connection), "5432") +
                                       "/" + valueOr(PQdb(m_connection), "")
                                 : nameFromUrl(url);
    if (PQstatus(m_connection) != CONNECTION_OK) {
        const std::string reason = reasonOf(PQerrorMessage(m_connection));
        PQfinish(m_connection);
        m_connection = nullptr;
        throw ServerError("cannot reach the database server at " + m_serverName + ": " + reason);
    }
    // "already exists, skipping" and the like are for people at psql.
    PQsetNoticeProcessor(m_connection, ignoreNotice, nullptr);
}

ServerConnection::~ServerConnection() {
    PQfinish(m_connection);
}

ServerResult ServerConnection::exec(std::string_view sql,
                                    const std::vector<std::optional<std::string>>& parameters) {
    constexpr Oid kTextType = 25;
    std::vector<Oid> types(parameters.size(), kTextType);
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats(parameters.size(), 1); // binary text: the bytes as they are
    for (const std::optional<std::string>& parameter : parameters) {
        values.push_back(parameter ? parameter->data() : nullptr);
        lengths.push_back(parameter ? static_cast<int>(parameter->size()) : 0);
    }
    ServerResult result(PQexecParams(m_connection, std::string(sql).c_str(),
                                     static_cast<int>(parameters.size()), types.data(),
                                     values.data(), lengths.data(), formats.data(), 0));
    check(result, "a statement");
    return result;
}

void ServerConnection::run(std::string_view sql) {
    ServerResult result(PQexec(m_connection, std::string(sql).c_str()));
    check(result, "a statement");
}

bool ServerConnection::inTransaction() const {
    return PQtransactionStatus(m_connection) != PQTRANS_IDLE;
}

void ServerConnection::fail(const std::string& what, std::string_view reason, bool lost) const {
    const std::string why =
        reasonOf(reason.empty() ? PQerrorMessage(m_connection) : std::string(reason).c_str());
    if (lost || PQstatus(m_connection) != CONNECTION_OK) {
        throw ServerError("lost the connection to the database server at " + m_serverName +
                          " during " + what + ": " + why);
    }
    throw ServerError("the database server at " + m_serverName + " refused " + what + ": " + why);
}

void ServerConnection::check(const ServerResult& result, const std::string& what) const {
    if (!result.succeeded()) {
        // No code: libpq's own failure, the connection broke. Class 08 is a
        // connection's failure, 57P a server shutting down or crashing.
        const std::string_view code = result.errorCode();
        fail(what, result.errorMessage(),
             code.empty() || code.starts_with("08") || code.starts_with("57P"));
    }
}

} // namespace nomix
