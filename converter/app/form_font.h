// The font every converter form is drawn in: 13 px, bold.
#pragma once

class QWidget;

namespace kzo {

void applyFormFont(QWidget& form);

} // namespace kzo
