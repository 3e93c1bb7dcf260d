#pragma once

#include <QString>
#include <optional>

#include "sim/CommandBars.h"

namespace velmora::desktop {

// The host's command bars from one start to the next, in a JSON file of the
// user's. Popup bars are made anew each time they show, so their controls
// are never kept.
class CommandBarFile {
public:
    explicit CommandBarFile(QString path) : path_(std::move(path)) {}

    // What an earlier start kept; none when there is no file or it cannot be
    // read, then the bars stay as a first start has them.
    std::optional<sim::SavedCommandBars> Load() const;
    // Replaces the file as a whole; false when it cannot be written.
    bool Save(const sim::SavedCommandBars& bars) const;

    const QString& Path() const { return path_; }

private:
    QString path_;
};

}  // namespace velmora::desktop
