#include "converter/app/form_font.h"

#include <QFont>
#include <QWidget>

namespace kzo {

// The forms were laid out for a narrow 13 px bold system font. The platform's
// own family, condensed, keeps the captions inside the designed control sizes
// (a regular-width bold face cuts off the longest radio button caption).
void applyFormFont(QWidget& form) {
    QFont font = form.font();
    font.setPixelSize(13);
    font.setBold(true);
    font.setStretch(QFont::SemiCondensed);
    form.setFont(font);
}

} // namespace kzo
