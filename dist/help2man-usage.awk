# SPDX-License-Identifier: MIT
# Joins a usage line's continuation lines (indented, opening with "[") onto
# it, so help2man reads the whole synopsis and not the rest as description.
/^Usage:/ { usage = $0; inUsage = 1; next }
inUsage && /^ +\[/ { sub(/^ +/, " "); usage = usage $0; next }
inUsage { print usage; inUsage = 0 }
{ print }
END { if (inUsage) print usage }
