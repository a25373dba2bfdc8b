#pragma once
// What a change to an entry did, for the list of its earlier versions: the fields it changed,
// by the entry window's captions, or that it deleted the entry.

#include <QString>
#include <QStringList>
#include <optional>

#include "history_statements.h"
#include "statements.h"

namespace version_changes {

// The captions of the fields in which the two states differ, in the window's order.
QStringList fields(const statements::entry_texts& before, const statements::entry_texts& after);

// The change that ended version `older`: "Deleted", or "Question, Notes changed". `after` is
// the entry as that change left it (the next newer version, or the entry as stored now); no
// value when it is not known.
QString describe(const history::version& older, const std::optional<statements::entry_texts>& after);

} // namespace version_changes
