// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace nomix {

class ServerConnection;

// What a load changed in the team database.
struct ServerLoad {
    size_t lines = 0;    // lines the database holds afterwards
    size_t products = 0; // products it holds afterwards
    size_t added = 0;    // lines appended
    size_t replaced = 0; // lines replaced in place by a newer analysis
};

// Asked now and then during a load: true stops it (ImportStopped).
using StopCheck = std::function<bool()>;

// Replaces everything the team database holds by the product table and name
// database in `dir` (NOMIX.CFG, NOMIX.DAT). Where an import wrote them, its
// record beside them gives each line its sample's analysis date, so later
// updates can tell newer analyses. One transaction: on any failure
// (ServerError, FileError, ImportError) or a stop (ImportStopped) the server
// keeps what it held.
ServerLoad replaceServerData(ServerConnection& connection, const std::string& dir,
                             const StopCheck& stopRequested = {});

// Adds the samples of the database an import of new reports wrote in `dir`
// to what the team database holds, without reading the rest again: a new
// sample is appended, one already there replaced in place when the new
// analysis is as new or newer, as an update of the files does. The label
// becomes `label`, or the default one for the new number of samples. An
// empty team database simply takes the folder's. Reports that bring an
// engine the team database lacks are refused (ImportError): a new product
// changes every line's columns, which only loading everything again does.
ServerLoad addToServerData(ServerConnection& connection, const std::string& dir,
                           const std::optional<std::string>& label,
                           const StopCheck& stopRequested = {});

} // namespace nomix
