#pragma once
// Deleting an entry: the statement and its commit, once the user said yes.

#include <cstdint>
#include <functional>

#include "change_outcome.h"
#include "transaction.h"

namespace changes {

// Deletes entry rbr when `confirm` says yes, and commits. A delete refused by the statement
// (already rolled back) or only at its commit fails under the statement's title.
change_outcome delete_entry(transaction& sqlca, std::int16_t rbr, const std::function<bool()>& confirm);

} // namespace changes
