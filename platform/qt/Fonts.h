#pragma once

#include <QFont>

namespace qtui {

// The windows are laid out in pixels at 96 dpi, so their fonts are given in
// pixels too; where a family is missing, the closest installed one stands in.
QFont DialogFont();   // Tahoma 8 pt: 11 pixels
QFont LogFont();      // Verdana 7 pt: 9 pixels
QFont WelcomeFont();  // MS Sans Serif 8 pt: 11 pixels
QFont Bold(QFont font);

}  // namespace qtui
