// SPDX-License-Identifier: MIT
#include "servertransaction.h"

#include "serverconnection.h"

#include <libpq-fe.h>

namespace nomix {

ServerTransaction::ServerTransaction(ServerConnection& connection) : m_connection(connection) {
    m_connection.run("BEGIN");
}

ServerTransaction::~ServerTransaction() {
    if (m_open) {
        // Nothing to tell if this fails too: a lost connection rolls the
        // transaction back on the server all the same.
        PQclear(PQexec(m_connection.handle(), "ROLLBACK"));
    }
}

void ServerTransaction::commit() {
    m_open = false;
    m_connection.run("COMMIT");
}

} // namespace nomix
