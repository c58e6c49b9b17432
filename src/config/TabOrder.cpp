#include "config/ControlTable.h"
#include "config/RowLayout.h"

#include <algorithm>

namespace {

// One frame of the window and the controls inside it that take the focus; a radio
// group is a frame that is its own single stop.
struct Frame {
    Control* frame;
    QList<Control*> stops;
};

// Two places in one row when their tops are less than half a row apart: a button stands
// a little higher than the fields beside it.
bool before(const Geometry& a, const Geometry& b) {
    constexpr int kSameRow = RowLayout::kRowPitch / 2;
    if (a.top + kSameRow <= b.top) return true;
    if (b.top + kSameRow <= a.top) return false;
    return a.left < b.left;
}

bool shown(const Control& c) {
    return c.visible && c.enabled;
}

} // namespace

QList<Control*> MainWindowModel::tabOrder() {
    QList<Frame> frames;
    for (const ControlSpec& f : controltable::all()) {
        if (!f.isFrame() || f.group) continue;
        Frame frame{&f.in(*this), {}};
        if (f.kind == ControlKind::Radio) frame.stops.append(frame.frame);
        for (const ControlSpec* s : controltable::inside(f.name))
            if (s->kind != ControlKind::Label) frame.stops.append(&s->in(*this));
        frames.append(frame);
    }
    frames.removeIf([](const Frame& f) { return !shown(*f.frame); });
    std::stable_sort(frames.begin(), frames.end(), [](const Frame& a, const Frame& b) {
        return before(a.frame->geometry, b.frame->geometry);
    });
    QList<Control*> order;
    for (Frame& f : frames) {
        f.stops.removeIf([](const Control* c) { return !shown(*c); });
        std::stable_sort(f.stops.begin(), f.stops.end(),
                         [](const Control* a, const Control* b) { return before(a->geometry, b->geometry); });
        order.append(f.stops);
    }
    return order;
}

Control* MainWindowModel::firstFocus() {
    for (Control* c : tabOrder()) {
        const ControlKind kind = controltable::find(c->name)->kind;
        if (kind == ControlKind::List || kind == ControlKind::Button) return c;
    }
    return nullptr;
}
