#include "CommandBarFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include "qt/Strings.h"

namespace velmora::desktop {

namespace {

// Far above any real bar; a file beyond it is not the host's.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
constexpr int kFormat = 1;

QJsonObject ButtonJson(const sim::ButtonState& button) {
    return QJsonObject{
        {"id", button.Id},
        {"caption", qtui::ToQt(button.Caption)},
        {"tag", qtui::ToQt(button.Tag)},
        {"tooltip", qtui::ToQt(button.TooltipText)},
        {"priority", button.Priority},
        {"visible", button.Visible},
        {"style", button.Style},
        {"face", QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(button.Face.data()),
                                                static_cast<qsizetype>(button.Face.size()))
                                         .toBase64())},
        {"faceFrom", static_cast<int>(button.FaceFrom)},
    };
}

sim::ButtonState ButtonFromJson(const QJsonObject& json) {
    sim::ButtonState button;
    button.Id = json["id"].toInt(1);
    button.Caption = qtui::FromQt(json["caption"].toString());
    button.Tag = qtui::FromQt(json["tag"].toString());
    button.TooltipText = qtui::FromQt(json["tooltip"].toString());
    button.Priority = json["priority"].toInt();
    button.Visible = json["visible"].toBool(true);
    button.Style = json["style"].toInt();
    const QByteArray face = QByteArray::fromBase64(json["face"].toString().toLatin1());
    button.Face.assign(face.begin(), face.end());
    const int from = json["faceFrom"].toInt();
    button.FaceFrom = from == static_cast<int>(sim::FaceSource::Picture)  ? sim::FaceSource::Picture
                      : from == static_cast<int>(sim::FaceSource::Pasted) ? sim::FaceSource::Pasted
                                                                           : sim::FaceSource::None;
    return button;
}

}  // namespace

std::optional<sim::SavedCommandBars> CommandBarFile::Load() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject() || document.object()["format"].toInt() != kFormat) return std::nullopt;
    sim::SavedCommandBars bars;
    for (const QJsonValue& value : document.object()["bars"].toArray()) {
        const QJsonObject json = value.toObject();
        sim::BarState bar;
        bar.Name = qtui::FromQt(json["name"].toString());
        if (bar.Name.empty()) return std::nullopt;
        bar.Position = json["position"].toInt(Office::msoBarTop);
        bar.Protection = json["protection"].toInt();
        bar.Visible = json["visible"].toBool();
        for (const QJsonValue& control : json["controls"].toArray()) {
            bar.Controls.push_back(ButtonFromJson(control.toObject()));
        }
        bars.push_back(std::move(bar));
    }
    return bars;
}

bool CommandBarFile::Save(const sim::SavedCommandBars& bars) const {
    QJsonArray barsJson;
    for (const sim::BarState& bar : bars) {
        QJsonArray controls;
        if (bar.Position != Office::msoBarPopup) {
            for (const sim::ButtonState& button : bar.Controls) controls.append(ButtonJson(button));
        }
        barsJson.append(QJsonObject{
            {"name", qtui::ToQt(bar.Name)},
            {"position", bar.Position},
            {"protection", bar.Protection},
            {"visible", bar.Visible},
            {"controls", controls},
        });
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QJsonDocument(QJsonObject{{"format", kFormat}, {"bars", barsJson}}).toJson());
    return file.commit();
}

}  // namespace velmora::desktop
