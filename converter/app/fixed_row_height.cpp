#include "converter/app/fixed_row_height.h"

namespace kzo {

QSize FixedRowHeight::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), 16};
}

} // namespace kzo
