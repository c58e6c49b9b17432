#pragma once

#include "config/Controls.h"

#include <initializer_list>

// The row rule shared by every group of the main window: rows 24 pixels apart,
// the first at 20 inside its group, and the group sized to its visible rows.
namespace RowLayout {

inline constexpr int kFirstRowTop = 20;
inline constexpr int kRowPitch = 24;
inline constexpr int kGroupFrame = 32; // caption and bottom border of a group
inline constexpr int kRadioItemHeight = 15;

inline int rowTop(int row) {
    return kFirstRowTop + row * kRowPitch;
}
inline int groupHeight(int rows) {
    return rows * kRowPitch + kGroupFrame;
}
inline int radioGroupHeight(int items) {
    return items * kRadioItemHeight + kGroupFrame;
}

// One row of a group: it is shown when `key` is; `other` (the label or the
// field that belongs to it, may be null) is then shown and moved with it.
struct Row {
    Control* key;
    Control* other = nullptr;
};

// Places the shown rows one pitch apart from the top and sizes the group.
// Returns the count of shown rows.
template <class Rows> int stackRows(Control& group, const Rows& rows) {
    int n = 0;
    for (const Row& r : rows) {
        if (!r.key->visible) continue;
        r.key->geometry.top = rowTop(n);
        if (r.other) {
            r.other->visible = true;
            r.other->geometry.top = rowTop(n);
        }
        ++n;
    }
    group.geometry.height = groupHeight(n);
    return n;
}
inline int stackRows(Control& group, std::initializer_list<Row> rows) {
    return stackRows<std::initializer_list<Row>>(group, rows);
}

} // namespace RowLayout
