#include "fonts.h"

namespace platform {

QFont font(const QString& family, int points, int weight)
{
    QFont result(family, points);
    result.setWeight(static_cast<QFont::Weight>(weight));
    return result;
}

} // namespace platform
