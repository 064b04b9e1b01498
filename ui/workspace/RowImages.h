#pragma once
#include <QList>
#include <QPixmap>

// The pictures of the result tree and of the job page's direction image, drawn once per
// process (interface thread only).
namespace RowImages {

// The fixed images of the tree's image list, 16 x 16, indexed as the row records'
// image fields: each highlighted picture sits just before its normal one.
const QList<QPixmap> &Fixed();
// The direction pictures of the job page, 55 x 16: 0 blank, 1 both ways, 2 to the right,
// 3 to the left.
const QList<QPixmap> &Direction();

}  // namespace RowImages
