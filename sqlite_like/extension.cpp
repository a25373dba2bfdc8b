// The SQLite extension tarvo_like: replaces like(X,Y) and like(X,Y,Z), the functions behind
// "Y LIKE X [ESCAPE Z]", with a LIKE that ignores the case of every letter (SQLite's own
// ignores it for ASCII letters only). The data source loads it with the SQLite ODBC driver's
// LoadExt setting, the sqlite3 shell with ".load tarvo_like". Results, errors and NULL
// handling are those of SQLite's own LIKE, except that a NULL text matches no pattern (0).

#include <sqlite3ext.h>

#include <memory>
#include <new>

#include "like_pattern.h"

SQLITE_EXTENSION_INIT1

namespace {

using tarvo_like::pattern;

void like(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    const auto* pattern_text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    // SQLite's own limit on the pattern, so that both LIKEs refuse the same patterns.
    if (sqlite3_value_bytes(argv[0])
        > sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    std::optional<char32_t> escape;
    if (argc == 3) {
        const auto* escape_text = reinterpret_cast<const char*>(sqlite3_value_text(argv[2]));
        if (escape_text == nullptr)
            return; // NULL
        char32_t character = 0;
        if (!tarvo_like::single_character(escape_text, character)) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = character;
    }
    if (pattern_text == nullptr)
        return; // NULL
    // A missing text holds no word: false, not SQLite's NULL, so that "NOT (lot LIKE '%x%')"
    // finds the entries without a LOT too, as a user who asks for "not x" expects.
    if (text == nullptr) {
        sqlite3_result_int(context, 0);
        return;
    }

    try {
        // The pattern is usually the same on every row of a statement: compiled once, kept
        // by SQLite with the statement for as long as that argument does not change.
        if (const auto* kept = static_cast<const pattern*>(sqlite3_get_auxdata(context, 0));
            kept != nullptr && kept->escape() == escape) {
            sqlite3_result_int(context, kept->matches(text) ? 1 : 0);
            return;
        }
        auto compiled = std::make_unique<pattern>(pattern_text, escape);
        sqlite3_result_int(context, compiled->matches(text) ? 1 : 0);
        // SQLite may drop it at once; it is not used after this call.
        sqlite3_set_auxdata(context, 0, compiled.release(), [](void* kept) { delete static_cast<pattern*>(kept); });
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(context);
    }
}

} // namespace

// The entry point SQLite derives from the file name tarvo_like.so.
extern "C" __attribute__((visibility("default"))) int sqlite3_tarvolike_init(sqlite3* db, char** /*error_message*/,
                                                                             const sqlite3_api_routines* api)
{
    SQLITE_EXTENSION_INIT2(api);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    int result = sqlite3_create_function(db, "like", 2, flags, nullptr, like, nullptr, nullptr);
    if (result == SQLITE_OK)
        result = sqlite3_create_function(db, "like", 3, flags, nullptr, like, nullptr, nullptr);
    return result;
}
