#include "Fonts.h"

#include <QFontDatabase>
#include <QStringList>
#include <initializer_list>

namespace qtui {

namespace {

struct Candidate {
    const char* family;
    int stretch;  // percent of the family's normal width
};

// Tahoma is Verdana drawn narrower, and DejaVu Sans has Verdana's widths.
// Condensed a little beyond Tahoma's width, it keeps every caption within its
// control even beside this style's check indicators, which are wider.
constexpr Candidate TahomaLike{"DejaVu Sans", 82};
constexpr Candidate VerdanaLike{"DejaVu Sans", QFont::Unstretched};

QFont FirstInstalled(std::initializer_list<Candidate> candidates, int pixelSize) {
    const QStringList installed = QFontDatabase::families();
    QFont font;
    for (const Candidate& candidate : candidates) {
        if (installed.contains(QString::fromLatin1(candidate.family), Qt::CaseInsensitive)) {
            font.setFamily(QString::fromLatin1(candidate.family));
            font.setStretch(candidate.stretch);
            break;
        }
    }
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace

QFont DialogFont() {
    return FirstInstalled({{"Tahoma", QFont::Unstretched}, TahomaLike}, 11);
}

QFont LogFont() {
    return FirstInstalled({{"Verdana", QFont::Unstretched}, VerdanaLike}, 9);
}

QFont WelcomeFont() {
    return FirstInstalled({{"MS Sans Serif", QFont::Unstretched}, {"Tahoma", QFont::Unstretched}, TahomaLike}, 11);
}

QFont Bold(QFont font) {
    font.setBold(true);
    return font;
}

}  // namespace qtui
