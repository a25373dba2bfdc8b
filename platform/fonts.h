#pragma once
// Fonts are requested by the names the layout was drawn with; fontconfig maps Arial and
// Times New Roman to their metric twins.

#include <QFont>
#include <QString>

namespace platform {

QFont font(const QString& family, int points, int weight = 400);

} // namespace platform
