#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace qtui {

// Keeps children at fixed distances from the sides of their parent they are
// anchored to, as the window layouts give them: a child anchored to both
// left and right stretches with the parent, one anchored to the right only
// moves with its right side.
class Anchors {
public:
    explicit Anchors(QSize designSize) : designSize_(designSize) {}

    // The child's geometry at the design size is its current one.
    void Add(QWidget* child, Qt::Edges edges);
    void Apply(QSize size) const;

private:
    struct Entry {
        QWidget* child;
        QRect designRect;
        Qt::Edges edges;
    };

    QSize designSize_;
    std::vector<Entry> entries_;
};

}  // namespace qtui
