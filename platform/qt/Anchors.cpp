#include "Anchors.h"

namespace qtui {

namespace {

// One axis: start and length of the child, given how much the parent grew.
std::pair<int, int> Stretch(int start, int length, int growth, bool nearSide, bool farSide) {
    if (nearSide && farSide) return {start, std::max(0, length + growth)};
    if (farSide) return {start + growth, length};
    if (nearSide) return {start, length};
    return {start + growth / 2, length};
}

}  // namespace

void Anchors::Add(QWidget* child, Qt::Edges edges) {
    entries_.push_back({child, child->geometry(), edges});
}

void Anchors::Apply(QSize size) const {
    const int dx = size.width() - designSize_.width();
    const int dy = size.height() - designSize_.height();
    for (const Entry& e : entries_) {
        const auto [x, w] = Stretch(e.designRect.x(), e.designRect.width(), dx, e.edges.testFlag(Qt::LeftEdge),
                                    e.edges.testFlag(Qt::RightEdge));
        const auto [y, h] = Stretch(e.designRect.y(), e.designRect.height(), dy, e.edges.testFlag(Qt::TopEdge),
                                    e.edges.testFlag(Qt::BottomEdge));
        e.child->setGeometry(x, y, w, h);
    }
}

}  // namespace qtui
