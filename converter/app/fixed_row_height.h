// An item delegate that makes every row of a list exactly 16 px high, as the
// forms were laid out, whatever height the font and the style ask for.
#pragma once

#include <QStyledItemDelegate>

namespace kzo {

class FixedRowHeight : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace kzo
