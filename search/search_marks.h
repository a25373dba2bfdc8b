#pragma once
// The marks a search leaves: its criteria as the statement uses them. A criterion stands for its
// field ("All": all five); the criterion after "NOT" finds nothing in what is listed, so it marks
// nothing; one standing alone marks whatever its connector.

#include "rule.h"
#include "search_statement.h"

namespace search {

marks::rule marks_for(const criteria& c);

} // namespace search
